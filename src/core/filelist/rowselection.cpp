#include "core/filelist/rowselection.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// Appends [first, last] to ranges, joining it to the last run when they touch or overlap. first is never below the
// last run's first row.
void appendRun(std::vector<RowRange>& ranges, int first, int last)
{
    if (!ranges.empty() && std::int64_t(first) <= std::int64_t(ranges.back().last) + 1)
        ranges.back().last = std::max(ranges.back().last, last);
    else
        ranges.push_back({first, last});
}

// The runs of the rows for which keep(in a, in b) holds. Between two consecutive run boundaries of a and b the two
// memberships do not change, so the walk visits each boundary once. keep(false, false) must be false.
template <class Keep>
std::vector<RowRange> combine(const std::vector<RowRange>& a, const std::vector<RowRange>& b, Keep keep)
{
    std::vector<RowRange> out;
    std::size_t i = 0;
    std::size_t j = 0;
    // Positions are 64-bit: one past the last row may be one past the largest int.
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
    std::int64_t at = std::min(a.empty() ? kNone : a.front().first, b.empty() ? kNone : b.front().first);
    while (i < a.size() || j < b.size()) {
        const bool inA = i < a.size() && a[i].first <= at;
        const bool inB = j < b.size() && b[j].first <= at;
        std::int64_t next = kNone;
        if (i < a.size())
            next = std::min(next, inA ? std::int64_t(a[i].last) + 1 : std::int64_t(a[i].first));
        if (j < b.size())
            next = std::min(next, inB ? std::int64_t(b[j].last) + 1 : std::int64_t(b[j].first));
        if (keep(inA, inB))
            appendRun(out, int(at), int(next - 1));
        at = next;
        if (i < a.size() && std::int64_t(a[i].last) < at)
            ++i;
        if (j < b.size() && std::int64_t(b[j].last) < at)
            ++j;
    }
    return out;
}

} // namespace

RowSelection::RowSelection(std::vector<RowRange> ranges)
{
    std::erase_if(ranges, [](const RowRange& range) { return range.last < range.first || range.last < 0; });
    std::sort(ranges.begin(), ranges.end(), [](const RowRange& x, const RowRange& y) { return x.first < y.first; });
    m_ranges.reserve(ranges.size());
    for (const RowRange& range : ranges)
        appendRun(m_ranges, std::max(range.first, 0), range.last);
}

RowSelection RowSelection::all(int rowCount)
{
    return RowSelection(rowCount > 0 ? std::vector<RowRange>{{0, rowCount - 1}} : std::vector<RowRange>{});
}

RowSelection RowSelection::ofRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    RowSelection set;
    for (const int row : rows) {
        if (row >= 0)
            appendRun(set.m_ranges, row, row);
    }
    return set;
}

bool RowSelection::contains(int row) const
{
    // The last run that starts at or before row.
    const auto after =
        std::upper_bound(m_ranges.begin(), m_ranges.end(), row, [](int r, const RowRange& x) { return r < x.first; });
    return after != m_ranges.begin() && std::prev(after)->last >= row;
}

std::size_t RowSelection::count() const
{
    std::size_t total = 0;
    for (const RowRange& range : m_ranges)
        total += std::size_t(std::int64_t(range.last) - range.first + 1);
    return total;
}

std::vector<int> RowSelection::rows() const
{
    std::vector<int> all;
    all.reserve(count());
    for (const RowRange& range : m_ranges) {
        for (std::int64_t row = range.first; row <= range.last; ++row)
            all.push_back(int(row));
    }
    return all;
}

RowSelection RowSelection::united(const RowSelection& other) const
{
    RowSelection set;
    set.m_ranges = combine(m_ranges, other.m_ranges, [](bool a, bool b) { return a || b; });
    return set;
}

RowSelection RowSelection::subtracted(const RowSelection& other) const
{
    RowSelection set;
    set.m_ranges = combine(m_ranges, other.m_ranges, [](bool a, bool b) { return a && !b; });
    return set;
}

RowSelection RowSelection::toggled(const RowSelection& other) const
{
    RowSelection set;
    set.m_ranges = combine(m_ranges, other.m_ranges, [](bool a, bool b) { return a != b; });
    return set;
}

RowSelection RowSelection::inverted(int rowCount) const
{
    return all(rowCount).subtracted(*this);
}

void RowSelection::insertRows(int at, int count)
{
    if (count <= 0)
        return;
    std::vector<RowRange> moved;
    moved.reserve(m_ranges.size() + 1);
    for (const RowRange& range : m_ranges) {
        if (range.last < at) {
            moved.push_back(range);
        } else if (range.first >= at) {
            moved.push_back({range.first + count, range.last + count});
        } else {
            moved.push_back({range.first, at - 1});
            moved.push_back({at + count, range.last + count});
        }
    }
    m_ranges = std::move(moved);
}

void RowSelection::removeRows(int first, int last)
{
    if (last < first)
        return;
    const int count = last - first + 1;
    std::vector<RowRange> kept;
    kept.reserve(m_ranges.size());
    for (const RowRange& range : m_ranges) {
        if (range.first < first)
            appendRun(kept, range.first, std::min(range.last, first - 1));
        if (range.last > last)
            appendRun(kept, std::max(range.first, last + 1) - count, range.last - count);
    }
    m_ranges = std::move(kept);
}

std::optional<RowRange> ChangedRows(const RowSelection& a, const RowSelection& b)
{
    const RowSelection changed = a.toggled(b);
    if (changed.empty())
        return std::nullopt;
    return RowRange{changed.ranges().front().first, changed.ranges().back().last};
}
