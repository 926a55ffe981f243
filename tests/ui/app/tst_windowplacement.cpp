// The first window on a screen that scaling has made smaller than the window: at a scale of 2, a desktop of
// 1600 by 1000 pixels is 800 by 500 wide and high for the program, less than its 812 by 441 client area and menu.

#include "support/ui/appformfixture.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void firstWindowFitsAScaledScreen()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 500));
        AppFormFixture f;
        TAppForm& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The window with its frame.
        const QRect frame = form.frameGeometry();
        QVERIFY2(
            QRect(0, 0, 800, 500).contains(frame),
            qPrintable(
                QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    }
};

int main(int argc, char** argv)
{
    // Before the application exists: the scale is read when it starts.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestWindowPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowplacement.moc"
