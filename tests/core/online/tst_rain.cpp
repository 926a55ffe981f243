#include "core/online/rain.h"

#include <QList>
#include <QMap>
#include <QTest>

#include <algorithm>

namespace {

// A random source that answers each bound with a preset value (0 unless set) and records the bounds it was asked.
struct ScriptedRandom
{
    QMap<int, int> answers;
    QList<int> bounds;

    TRain::RandomSource source()
    {
        return [this](int bound) {
            bounds.append(bound);
            return answers.value(bound, 0);
        };
    }
};

// The largest random value for every bound.
int highest(int bound)
{
    return bound - 1;
}

} // namespace

class TestRain final : public QObject
{
    Q_OBJECT

private slots:
    void grid_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("drops");
        QTest::newRow("about box") << 452 << 400 << 56 << 33 << 112;
        QTest::newRow("partial cells are dropped") << 807 << 611 << 100 << 50 << 200;
        QTest::newRow("lower than one row") << 80 << 11 << 10 << 0 << 20;
        QTest::newRow("narrower than one column") << 7 << 400 << 0 << 33 << 0;
        QTest::newRow("very wide window") << 30000 << 100 << 3750 << 8 << 5000;
    }

    // The grid comes from the size at the start; every column gets two drops, in round robin, up to the limit.
    void grid()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, drops);
        QList<int> bounds;
        TRain rain([&bounds](int bound) {
            bounds.append(bound);
            return highest(bound);
        });
        rain.Start(width, height);
        QCOMPARE(rain.bitmapWidth(), width);
        QCOMPARE(rain.bitmapHeight(), height);
        QCOMPARE(rain.matrixWidth(), columns);
        QCOMPARE(rain.matrixHeight(), rows);
        QCOMPARE(rain.dropCount(), drops);
        QCOMPARE(rain.tickCounter(), 0);
        for (int i = 0; i < rain.dropCount(); ++i) {
            const TDrop& drop = rain.drops()[std::size_t(i)];
            QCOMPARE(drop.column, i % columns);
            QCOMPARE(drop.row, std::max(rows - 1, 0));
            QCOMPARE(drop.period, 3);
            QCOMPARE(drop.brightness, 99);
        }
        // A bound of 0 would ask for a number from an empty range.
        QVERIFY(std::all_of(bounds.cbegin(), bounds.cend(), [](int bound) { return bound >= 1; }));

        // One drop more fits, unless the list is full or the grid has no column.
        rain.AddDrop();
        QCOMPARE(rain.dropCount(), std::min(drops + (columns > 0 ? 1 : 0), int(TRain::maxDrops)));
    }

    void colours_data()
    {
        QTest::addColumn<int>("brightness");
        QTest::addColumn<QColor>("head");
        QTest::addColumn<QColor>("trail");
        QTest::newRow("dark") << 0 << QColor(0, 0, 0) << QColor(0, 0, 0);
        QTest::newRow("faint") << 1 << QColor(1, 2, 0) << QColor(0, 0, 0);
        QTest::newRow("half") << 50 << QColor(74, 127, 49) << QColor(24, 42, 16);
        QTest::newRow("brightest") << 99 << QColor(148, 252, 98) << QColor(49, 84, 32);
    }

    // A drop below the top row draws its character at the head and, dimmer, in the cell above.
    void colours()
    {
        QFETCH(int, brightness);
        QFETCH(QColor, head);
        QFETCH(QColor, trail);
        TRain rain(highest);
        rain.Start(800, 600);
        const TRainDraw draw = rain.DrawDrop(TDrop{3, 5, 1, brightness}, u'r');
        QCOMPARE(draw.c, QChar(u'r'));
        QCOMPARE(draw.headPos, QPoint(24, 60));
        QCOMPARE(draw.headColor, head);
        QVERIFY(draw.hasTrail);
        QCOMPARE(draw.trailPos, QPoint(24, 48));
        QCOMPARE(draw.trailColor, trail);
    }

    void topRowHasNoTrail()
    {
        TRain rain(highest);
        rain.Start(800, 600);
        const TRainDraw draw = rain.DrawDrop(TDrop{2, 0, 1, 60}, u'n');
        QVERIFY(!draw.hasTrail);
        QCOMPARE(draw.headPos, QPoint(16, 0));
        QCOMPARE(draw.headColor, TRain::HeadColor(60));
    }

    void eraseRow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("erased");
        QTest::newRow("far down") << 50 << 45 << 5;
        QTest::newRow("exactly the distance") << 50 << 40 << 0;
        QTest::newRow("one short wraps to the bottom") << 50 << 39 << 50;
        QTest::newRow("head at the top") << 50 << 0 << 11;
        QTest::newRow("head past the grid") << 50 << 51 << 11;
        QTest::newRow("short grid wraps several times") << 10 << 0 << 4;
        QTest::newRow("no rows") << 0 << 1 << 0;
    }

    // The cell forty rows above the head is erased; near the top the count wraps round the column.
    void eraseRow()
    {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(int, erased);
        TRain rain(highest);
        rain.Start(80, rows * TRain::charHeight);
        const TRainDraw draw = rain.DrawDrop(TDrop{2, row, 1, 50}, u'i');
        QCOMPARE(draw.erase, QRect(16, erased * 12, 8, 12));
    }

    // Each character of the set is drawn when the random source picks it.
    void characters()
    {
        ScriptedRandom random;
        TRain rain(random.source());
        rain.Start(16, 120);
        for (int i = 0; i < 4; ++i) {
            random.answers[4] = i;
            const std::vector<TRainDraw> draws = rain.StepRain();
            QCOMPARE(draws.size(), std::size_t(4));
            for (const TRainDraw& draw : draws)
                QCOMPARE(draw.c, QChar(u"brin"[i]));
        }
    }

    // A drop falls one row a tick through rows 0 to two past the grid, then starts again at the top with a new speed
    // and brightness.
    void fallAndRestart()
    {
        ScriptedRandom random;
        TRain rain(random.source());
        rain.Start(8, 4 * 12);
        QCOMPARE(rain.dropCount(), 2);
        for (int step = 0; step <= 5; ++step) {
            if (step == 5) {
                random.answers[3] = 2;
                random.answers[100] = 77;
            }
            const std::vector<TRainDraw> draws = rain.StepRain();
            QCOMPARE(draws.size(), std::size_t(2));
            QCOMPARE(draws[0].headPos, QPoint(0, step * 12));
            QCOMPARE(draws[0].headColor, TRain::HeadColor(0));
            QCOMPARE(rain.tickCounter(), step + 1);
        }
        const TDrop& drop = rain.drops()[0];
        QCOMPARE(drop.row, 0);
        QCOMPARE(drop.period, 3);
        QCOMPARE(drop.brightness, 77);
        const std::vector<TRainDraw> draws = rain.StepRain();
        QCOMPARE(draws[0].headPos, QPoint(0, 0));
        QVERIFY(!draws[0].hasTrail);
        QCOMPARE(draws[0].headColor, TRain::HeadColor(77));
    }

    void period_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QList<int>>("rows"); // the row after each of the first ticks
        QTest::newRow("every tick") << 1 << QList<int>{1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("every second tick") << 2 << QList<int>{1, 1, 2, 2, 3, 3, 4};
        QTest::newRow("every third tick") << 3 << QList<int>{1, 1, 1, 2, 2, 2, 3};
    }

    // A drop moves on the ticks that are multiples of its period, counting from the first tick, 0.
    void period()
    {
        QFETCH(int, period);
        QFETCH(QList<int>, rows);
        ScriptedRandom random;
        random.answers[3] = period - 1;
        TRain rain(random.source());
        rain.Start(8, 20 * 12);
        for (const int row : rows) {
            rain.StepRain();
            QCOMPARE(rain.drops()[0].row, row);
            QCOMPARE(rain.drops()[0].period, period);
        }
    }

    // Seeding again keeps the grid and the tick counter; starting again lays a new grid and counts from 0.
    void seedAndStartAgain()
    {
        TRain rain(highest);
        rain.Start(80, 120);
        rain.StepRain();
        rain.StepRain();
        rain.AddDrop();
        QCOMPARE(rain.dropCount(), 21);
        rain.SeedDrops();
        QCOMPARE(rain.dropCount(), 20);
        QCOMPARE(rain.tickCounter(), 2);
        QCOMPARE(rain.matrixWidth(), 10);
        rain.Start(160, 240);
        QCOMPARE(rain.matrixWidth(), 20);
        QCOMPARE(rain.matrixHeight(), 20);
        QCOMPARE(rain.dropCount(), 40);
        QCOMPARE(rain.tickCounter(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRain)
#include "tst_rain.moc"
