// Dialogs centred on the screen of the main window, on two screens side by side (the second at twice the scale).

#include "ui/app/dialogcentring.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>

class TestDialogCentring : public QObject
{
    Q_OBJECT

private slots:
    void centredOnTheMainWindowsScreen_data()
    {
        QTest::addColumn<int>("mainWindowScreen"); // -1: no main window
        QTest::newRow("no main window: the primary screen") << -1;
        QTest::newRow("main window on the primary screen") << 0;
        QTest::newRow("main window on the second screen") << 1;
    }
    void centredOnTheMainWindowsScreen()
    {
        QFETCH(int, mainWindowScreen);
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QWidget mainWindow;
        if (mainWindowScreen >= 0) {
            mainWindow.setGeometry(QRect(screens.at(mainWindowScreen)->availableGeometry().topLeft() + QPoint(50, 50),
                                         QSize(400, 300)));
            mainWindow.show();
            QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
            QTRY_COMPARE(mainWindow.screen(), screens.at(mainWindowScreen));
        }
        const QRect area = screens.at(std::max(mainWindowScreen, 0))->availableGeometry();

        QDialog dialog(mainWindowScreen >= 0 ? &mainWindow : nullptr);
        dialog.setFixedSize(300, 200);
        CentreOnMainWindowScreen(&dialog, mainWindowScreen >= 0 ? &mainWindow : nullptr);
        QCOMPARE(dialog.frameGeometry().center(), area.center());
        // Once shown, with its frame.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.frameGeometry().center(), area.center());
    }

    void largerThanTheScreen()
    {
        QScreen* primary = QGuiApplication::primaryScreen();
        const QRect area = primary->availableGeometry();
        QDialog dialog;
        dialog.setFixedSize(area.size() + QSize(200, 100));
        CentreOnMainWindowScreen(&dialog, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.frameGeometry().topLeft(), area.topLeft());
    }
};

QTEST_MAIN(TestDialogCentring)

#include "tst_dialogcentring.moc"
