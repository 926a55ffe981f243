#include "core/platform/terminationsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TestTerminationSignals : public QObject
{
    Q_OBJECT

private slots:
    void signalsArriveThroughTheEventLoop_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    // Without the object, each of these would end the test program on the spot.
    void signalsArriveThroughTheEventLoop()
    {
        QFETCH(int, signal);
        TerminationSignals ending;
        QSignalSpy received(&ending, &TerminationSignals::received);
        QCOMPARE(::raise(signal), 0);
        QVERIFY(received.wait(10000));
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toInt(), signal);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
