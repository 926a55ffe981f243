#include "core/online/popupguard.h"

#include <QTest>

class TestPopupGuard final : public QObject
{
    Q_OBJECT

private slots:
    void reopen_data()
    {
        QTest::addColumn<quint32>("closedAt");
        QTest::addColumn<quint32>("clickedAt");
        QTest::addColumn<bool>("sameButton");
        QTest::addColumn<bool>("sameMenu");
        QTest::addColumn<bool>("opens");
        QTest::newRow("click that closed the menu") << 5000u << 5040u << true << true << false;
        QTest::newRow("at once") << 5000u << 5000u << true << true << false;
        QTest::newRow("last moment") << 5000u << 5099u << true << true << false;
        QTest::newRow("after the delay") << 5000u << 5100u << true << true << true;
        QTest::newRow("across the wrap") << 0xFFFFFFF0u << 0x00000030u << true << true << false;
        QTest::newRow("after the delay across the wrap") << 0xFFFFFFF0u << 0x00000060u << true << true << true;
        QTest::newRow("another button") << 5000u << 5040u << false << true << true;
        QTest::newRow("another menu") << 5000u << 5040u << true << false << true;
    }

    void reopen()
    {
        QFETCH(quint32, closedAt);
        QFETCH(quint32, clickedAt);
        QFETCH(bool, sameButton);
        QFETCH(bool, sameMenu);
        QFETCH(bool, opens);
        const int button = 0;
        const int otherButton = 0;
        const int menu = 0;
        const int otherMenu = 0;
        quint32 now = closedAt;
        PopupGuard guard([&now] { return now; });
        QVERIFY(guard.shouldOpen(&button, &menu));
        guard.closed(&button, &menu);
        now = clickedAt;
        QCOMPARE(guard.shouldOpen(sameButton ? &button : &otherButton, sameMenu ? &menu : &otherMenu), opens);
    }

    // The click that closed the menu is used up: the next one opens it, however soon it comes.
    void oneClickIsSwallowed()
    {
        const int button = 0;
        const int menu = 0;
        quint32 now = 1000;
        PopupGuard guard([&now] { return now; });
        guard.closed(&button, &menu);
        now += 10;
        QVERIFY(!guard.shouldOpen(&button, &menu));
        QVERIFY(guard.shouldOpen(&button, &menu));
    }
};

QTEST_GUILESS_MAIN(TestPopupGuard)
#include "tst_popupguard.moc"
