#pragma once

#include <QStringView>

class RecordArray;
struct TMyRecord;

// The list's sort state and the rules of a header click. A new window starts at column 0 ascending, so the first
// click on "Filename" counts as a second click on it and sorts descending.
struct SortState
{
    int SortedColumn = 0; // the column the list was last sorted by
    bool Descending = false;

    // A click on the header of column: the same column again flips the direction, another column sorts ascending.
    // Afterwards SortedColumn and Descending say how to sort.
    void ListView1ColumnClick(int column);

    // A scan starts: the column goes back to "Filename", the direction stays.
    void scanStarted() { SortedColumn = 0; }
};

// The list's columns.
enum FileColumn : int
{
    FilenameColumn = 0,
    ExtensionColumn = 1,
    DateColumn = 2,
    SizeColumn = 3,
    FileColumnCount = 4
};

// Texts compared by UTF-16 code units, no locale: "B" < "a", and a text comes before every longer text it starts.
// Negative, zero or positive.
int CompareTexts(QStringView a, QStringView b);

// The full names compared as CompareTexts would compare FFullName(), without building them.
int CompareFullNames(const TMyRecord& a, const TMyRecord& b);

// Two records compared by one column: the full name or the extension as text, the date by its key (the time at the
// precision the date text shows; an unreadable date first), the size as a signed number (-1, shown as "-", first).
int CompareRecords(int column, const TMyRecord& a, const TMyRecord& b);

// Sorts the array by a column; ascending unless descending. Equal keys end in no particular order. A column outside
// 0..3 leaves the array alone.
void SortRecordArray(RecordArray& records, int column, bool descending);
