#include "core/base/handoff.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;

class TestHandOff : public QObject
{
    Q_OBJECT

private slots:
    // A value posted by a worker is handled on the receiver's thread, never during the post itself.
    void arrivesOnTheReceiversThread()
    {
        QObject receiver;
        QList<QString> received;
        QThread* handledOn = nullptr;
        const QueuedHandOff<QString> handOff(&receiver, [&](const QString& value) {
            received.append(value);
            handledOn = QThread::currentThread();
        });
        std::thread([handOff] { handOff.post(u"from the worker"_s); }).join();
        handOff.post(u"from the receiver's thread"_s);
        QVERIFY(received.isEmpty());
        QTRY_COMPARE(received, (QList<QString>{u"from the worker"_s, u"from the receiver's thread"_s}));
        QCOMPARE(handledOn, receiver.thread());
    }

    // Every value arrives once, and those of one thread in the order it posted them.
    void severalPosts()
    {
        constexpr int kThreads = 3;
        constexpr int kPerThread = 500;
        QObject receiver;
        std::vector<std::vector<int>> received(kThreads);
        int total = 0;
        const QueuedHandOff<std::pair<int, int>> handOff(&receiver, [&](std::pair<int, int> value) {
            received[std::size_t(value.first)].push_back(value.second);
            ++total;
        });
        std::vector<std::thread> workers;
        for (int t = 0; t < kThreads; ++t) {
            workers.emplace_back([handOff, t] {
                for (int i = 0; i < kPerThread; ++i)
                    handOff.post({t, i});
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        QTRY_COMPARE(total, kThreads * kPerThread);
        std::vector<int> expected(kPerThread);
        for (int i = 0; i < kPerThread; ++i)
            expected[std::size_t(i)] = i;
        for (const std::vector<int>& values : received)
            QVERIFY(values == expected);
        // Nothing more is on its way.
        QCoreApplication::processEvents();
        QCOMPARE(total, kThreads * kPerThread);
    }

    // A value taken directly, as a receiver does once it has ended its worker, never reaches the handler.
    void takenValuesAreNotHandled()
    {
        QObject receiver;
        QList<int> received;
        const QueuedHandOff<int> handOff(&receiver, [&](int value) { received.append(value); });
        std::thread([handOff] {
            handOff.post(1);
            handOff.post(2);
        }).join();
        QCOMPARE(handOff.take(), std::optional<int>(1));
        QTRY_COMPARE(received, QList<int>{2});
        QCoreApplication::processEvents();
        QCOMPARE(received, QList<int>{2});
        QCOMPARE(handOff.take(), std::nullopt);
    }

    // Nothing arrives once the receiver is destroyed: neither what waits in the event queue nor what a worker that
    // outlives the receiver posts afterwards, also while the receiver is being destroyed.
    void nothingArrivesAfterTheReceiver()
    {
        {
            auto receiver = std::make_unique<QObject>();
            int received = 0;
            const QueuedHandOff<int> handOff(receiver.get(), [&](int) { ++received; });
            std::thread([handOff] { handOff.post(1); }).join();
            receiver.reset();
            QCoreApplication::processEvents();
            QCOMPARE(received, 0);
        }

        auto received = std::make_shared<std::atomic<int>>(0);
        auto receiver = std::make_unique<QObject>();
        const QueuedHandOff<int> handOff(receiver.get(), [received](int) { received->fetch_add(1); });
        std::atomic<bool> stop{false};
        std::atomic<int> posted{0};
        std::thread worker([handOff, &stop, &posted] {
            while (!stop.load()) {
                handOff.post(0);
                posted.fetch_add(1);
            }
        });
        QTRY_VERIFY(received->load() > 0);
        receiver.reset();
        const int handled = received->load();
        const int postedAtTheEnd = posted.load();
        QTRY_VERIFY(posted.load() > postedAtTheEnd + 100);
        stop.store(true);
        worker.join();
        QCoreApplication::processEvents();
        QCOMPARE(received->load(), handled);
    }
};

QTEST_GUILESS_MAIN(TestHandOff)

#include "tst_handoff.moc"
