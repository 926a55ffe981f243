#include "core/filelist/rowselection.h"

#include <QTest>

#include <random>

using Ranges = std::vector<RowRange>;
Q_DECLARE_METATYPE(Ranges)

namespace {

constexpr int kRows = 40;

// The rows of a set as flags, the plain model the runs are checked against.
std::vector<bool> flagsOf(const RowSelection& set, int rows = kRows)
{
    std::vector<bool> flags(std::size_t(rows), false);
    for (int row = 0; row < rows; ++row)
        flags[std::size_t(row)] = set.contains(row);
    return flags;
}

RowSelection fromFlags(const std::vector<bool>& flags)
{
    std::vector<int> rows;
    for (std::size_t row = 0; row < flags.size(); ++row) {
        if (flags[row])
            rows.push_back(int(row));
    }
    return RowSelection::ofRows(rows);
}

// Runs ascending, apart and not touching: the form every operation must leave.
bool wellFormed(const RowSelection& set)
{
    const Ranges& ranges = set.ranges();
    for (std::size_t k = 0; k < ranges.size(); ++k) {
        if (ranges[k].first < 0 || ranges[k].last < ranges[k].first)
            return false;
        if (k > 0 && ranges[k].first <= ranges[k - 1].last + 1)
            return false;
    }
    return true;
}

} // namespace

class TestRowSelection : public QObject
{
    Q_OBJECT

private slots:
    void construction_data()
    {
        QTest::addColumn<Ranges>("given");
        QTest::addColumn<Ranges>("runs");
        QTest::newRow("nothing") << Ranges{} << Ranges{};
        QTest::newRow("out of order") << Ranges{{5, 6}, {0, 1}} << Ranges{{0, 1}, {5, 6}};
        QTest::newRow("overlapping") << Ranges{{0, 4}, {2, 8}, {3, 3}} << Ranges{{0, 8}};
        QTest::newRow("touching runs join") << Ranges{{0, 2}, {3, 5}} << Ranges{{0, 5}};
        QTest::newRow("empty and negative dropped") << Ranges{{4, 3}, {-5, -1}, {-2, 1}} << Ranges{{0, 1}};
    }

    void construction()
    {
        QFETCH(Ranges, given);
        QFETCH(Ranges, runs);
        QCOMPARE(RowSelection(given).ranges(), runs);
    }

    void rows()
    {
        const RowSelection set = RowSelection::ofRows({7, 0, 2, 1, 8, 5, 2});
        QCOMPARE(set.ranges(), (Ranges{{0, 2}, {5, 5}, {7, 8}}));
        QCOMPARE(set.rows(), (std::vector<int>{0, 1, 2, 5, 7, 8}));
        QCOMPARE(set.count(), std::size_t(6));
        QCOMPARE(set.first(), 0);
        QCOMPARE(RowSelection().first(), -1);
        QCOMPARE(RowSelection::all(0).ranges(), Ranges{});
        QCOMPARE(RowSelection::all(3).ranges(), (Ranges{{0, 2}}));
        for (const auto& [row, held] : {std::pair{-1, false},
                                        {0, true},
                                        {2, true},
                                        {3, false},
                                        {4, false},
                                        {5, true},
                                        {6, false},
                                        {8, true},
                                        {9, false}})
            QVERIFY2(set.contains(row) == held, qPrintable(QString::number(row)));
    }

    void inverted_data()
    {
        QTest::addColumn<Ranges>("selected");
        QTest::addColumn<int>("rows");
        QTest::addColumn<Ranges>("inverted");
        QTest::newRow("rows 0 and 2 of 4") << Ranges{{0, 0}, {2, 2}} << 4 << Ranges{{1, 1}, {3, 3}};
        QTest::newRow("nothing selected") << Ranges{} << 3 << Ranges{{0, 2}};
        QTest::newRow("everything selected") << Ranges{{0, 2}} << 3 << Ranges{};
        QTest::newRow("middle run") << Ranges{{2, 4}} << 7 << Ranges{{0, 1}, {5, 6}};
        QTest::newRow("rows past the end") << Ranges{{1, 1}, {3, 9}} << 3 << Ranges{{0, 0}, {2, 2}};
        QTest::newRow("empty list") << Ranges{} << 0 << Ranges{};
    }

    void inverted()
    {
        QFETCH(Ranges, selected);
        QFETCH(int, rows);
        QFETCH(Ranges, inverted);
        const RowSelection set(selected);
        QCOMPARE(set.inverted(rows).ranges(), inverted);
        // Inverting twice gives back the selection's rows within the list.
        QCOMPARE(set.inverted(rows).inverted(rows), set.subtracted(RowSelection({{rows, 1 << 30}})));
    }

    void combinations_data()
    {
        QTest::addColumn<Ranges>("a");
        QTest::addColumn<Ranges>("b");
        QTest::addColumn<Ranges>("united");
        QTest::addColumn<Ranges>("subtracted");
        QTest::addColumn<Ranges>("toggled");
        QTest::newRow("apart") << Ranges{{0, 1}} << Ranges{{4, 5}} << Ranges{{0, 1}, {4, 5}} << Ranges{{0, 1}}
                               << Ranges{{0, 1}, {4, 5}};
        QTest::newRow("touching") << Ranges{{0, 1}} << Ranges{{2, 3}} << Ranges{{0, 3}} << Ranges{{0, 1}}
                                  << Ranges{{0, 3}};
        QTest::newRow("overlapping") << Ranges{{0, 5}} << Ranges{{3, 8}} << Ranges{{0, 8}} << Ranges{{0, 2}}
                                     << Ranges{{0, 2}, {6, 8}};
        QTest::newRow("inside") << Ranges{{0, 9}} << Ranges{{3, 4}} << Ranges{{0, 9}} << Ranges{{0, 2}, {5, 9}}
                                << Ranges{{0, 2}, {5, 9}};
        QTest::newRow("equal") << Ranges{{2, 4}} << Ranges{{2, 4}} << Ranges{{2, 4}} << Ranges{} << Ranges{};
        QTest::newRow("one empty") << Ranges{} << Ranges{{1, 2}} << Ranges{{1, 2}} << Ranges{} << Ranges{{1, 2}};
        QTest::newRow("largest row") << Ranges{{0, INT_MAX}} << Ranges{{INT_MAX, INT_MAX}} << Ranges{{0, INT_MAX}}
                                     << Ranges{{0, INT_MAX - 1}} << Ranges{{0, INT_MAX - 1}};
    }

    void combinations()
    {
        QFETCH(Ranges, a);
        QFETCH(Ranges, b);
        QFETCH(Ranges, united);
        QFETCH(Ranges, subtracted);
        QFETCH(Ranges, toggled);
        const RowSelection x(a);
        const RowSelection y(b);
        QCOMPARE(x.united(y).ranges(), united);
        QCOMPARE(y.united(x).ranges(), united);
        QCOMPARE(x.subtracted(y).ranges(), subtracted);
        QCOMPARE(x.toggled(y).ranges(), toggled);
        QCOMPARE(y.toggled(x).ranges(), toggled);
    }

    void insertAndRemove_data()
    {
        QTest::addColumn<Ranges>("before");
        QTest::addColumn<bool>("insert");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("countOrLast");
        QTest::addColumn<Ranges>("after");
        QTest::newRow("rows appended") << Ranges{{0, 1}} << true << 5 << 3 << Ranges{{0, 1}};
        QTest::newRow("rows inserted before") << Ranges{{2, 3}} << true << 0 << 2 << Ranges{{4, 5}};
        QTest::newRow("rows inserted inside a run") << Ranges{{2, 5}} << true << 4 << 2 << Ranges{{2, 3}, {6, 7}};
        QTest::newRow("selected rows removed") << Ranges{{0, 9}} << false << 2 << 4 << Ranges{{0, 6}};
        QTest::newRow("a selected row removed")
            << Ranges{{2, 2}, {5, 5}, {7, 7}, {9, 9}} << false << 7 << 7 << Ranges{{2, 2}, {5, 5}, {8, 8}};
        QTest::newRow("a gap removed joins the runs") << Ranges{{0, 1}, {4, 5}} << false << 2 << 3 << Ranges{{0, 3}};
        QTest::newRow("rows after all runs") << Ranges{{0, 1}} << false << 5 << 9 << Ranges{{0, 1}};
        QTest::newRow("everything") << Ranges{{0, 3}, {6, 6}} << false << 0 << 9 << Ranges{};
    }

    void insertAndRemove()
    {
        QFETCH(Ranges, before);
        QFETCH(bool, insert);
        QFETCH(int, at);
        QFETCH(int, countOrLast);
        QFETCH(Ranges, after);
        RowSelection set(before);
        if (insert)
            set.insertRows(at, countOrLast);
        else
            set.removeRows(at, countOrLast);
        QCOMPARE(set.ranges(), after);
    }

    // Random sets and edits against the same edits on plain flags.
    void againstFlags()
    {
        std::mt19937 random(20261211);
        std::bernoulli_distribution held(0.5);
        std::uniform_int_distribution<int> anyRow(0, kRows - 1);
        const auto randomSet = [&] {
            std::vector<bool> flags(kRows);
            for (std::size_t row = 0; row < flags.size(); ++row)
                flags[row] = held(random);
            return flags;
        };
        for (int round = 0; round < 500; ++round) {
            const std::vector<bool> a = randomSet();
            const std::vector<bool> b = randomSet();
            const RowSelection x = fromFlags(a);
            const RowSelection y = fromFlags(b);
            std::vector<bool> either(kRows), only(kRows), one(kRows), not_(kRows);
            for (std::size_t row = 0; row < std::size_t(kRows); ++row) {
                either[row] = a[row] || b[row];
                only[row] = a[row] && !b[row];
                one[row] = a[row] != b[row];
                not_[row] = !a[row];
            }
            for (const auto& [result, expected] : {std::pair{x.united(y), either},
                                                   {x.subtracted(y), only},
                                                   {x.toggled(y), one},
                                                   {x.inverted(kRows), not_}}) {
                QVERIFY(wellFormed(result));
                QCOMPARE(flagsOf(result), expected);
            }

            const int first = anyRow(random);
            const int last = std::min(kRows - 1, first + anyRow(random) % 6);
            RowSelection removed = x;
            removed.removeRows(first, last);
            std::vector<bool> flags = a;
            flags.erase(flags.begin() + first, flags.begin() + last + 1);
            QVERIFY(wellFormed(removed));
            QCOMPARE(flagsOf(removed, int(flags.size())), flags);
            QCOMPARE(removed.count(), std::size_t(std::count(flags.begin(), flags.end(), true)));

            RowSelection inserted = x;
            const int count = 1 + last - first;
            inserted.insertRows(first, count);
            flags = a;
            flags.insert(flags.begin() + first, std::size_t(count), false);
            QVERIFY(wellFormed(inserted));
            QCOMPARE(flagsOf(inserted, int(flags.size())), flags);

            const std::optional<RowRange> changed = ChangedRows(x, y);
            const auto firstChange = std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin();
            if (a == b) {
                QVERIFY(!changed);
            } else {
                QVERIFY(changed);
                QCOMPARE(changed->first, int(firstChange));
                QCOMPARE(changed->last,
                         int(std::mismatch(a.rbegin(), a.rend(), b.rbegin()).first.base() - a.begin() - 1));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRowSelection)
#include "tst_rowselection.moc"
