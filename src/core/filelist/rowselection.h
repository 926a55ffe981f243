#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// A run of adjacent rows, first to last inclusive.
struct RowRange
{
    int first = 0;
    int last = 0;

    friend bool operator==(const RowRange&, const RowRange&) = default;
};

// A set of rows of the file list, held as its runs of adjacent rows, ascending, neither overlapping nor touching. Every
// operation costs the number of runs (a lookup its logarithm), never the number of rows, so a million rows with every
// other one selected stay cheap to invert, combine and paint.
class RowSelection
{
public:
    RowSelection() = default;
    // The rows of ranges, in any order; overlapping and touching ranges join, empty ones and negative rows are dropped.
    explicit RowSelection(std::vector<RowRange> ranges);
    // The rows 0 to rowCount - 1.
    static RowSelection all(int rowCount);
    // The given rows, in any order, repeats allowed.
    static RowSelection ofRows(std::vector<int> rows);

    bool empty() const { return m_ranges.empty(); }
    bool contains(int row) const;
    // The lowest row, or -1 when empty.
    int first() const { return m_ranges.empty() ? -1 : m_ranges.front().first; }
    // How many rows the set holds.
    std::size_t count() const;
    const std::vector<RowRange>& ranges() const { return m_ranges; }
    // Every row, ascending.
    std::vector<int> rows() const;

    RowSelection united(const RowSelection& other) const;
    RowSelection subtracted(const RowSelection& other) const;
    // The rows in exactly one of the two.
    RowSelection toggled(const RowSelection& other) const;
    // The rows 0 to rowCount - 1 that the set does not hold.
    RowSelection inverted(int rowCount) const;

    // The list gained count rows before row at: the rows from at on move down by count, and the new rows are not held
    // (a run across at is split).
    void insertRows(int at, int count);
    // The list lost the rows first to last: those leave the set, the rows after them move up.
    void removeRows(int first, int last);

    friend bool operator==(const RowSelection&, const RowSelection&) = default;

private:
    std::vector<RowRange> m_ranges;
};

// The first and last rows that one of a and b holds and the other does not; nothing when they are equal.
std::optional<RowRange> ChangedRows(const RowSelection& a, const RowSelection& b);
