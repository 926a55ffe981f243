#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// Splits a filter text into its entries: entries are separated by ";" and by characters with codes 1 to 32; an entry
// that starts with a double quote runs to the next lone double quote (two in a row stand for one); a ";" at the very
// end adds one empty entry. An empty text or one of blanks has no entries.
QStringList SplitFilter(QStringView filter);

// One wildcard mask, matched against a whole name with A to Z and a to z taken as equal: "*" any run, "?" one
// character (ignored right after a "*"), "[set]" and "[!set]" one character in or not in the set, with x-y ranges.
class FileMask final
{
public:
    // Throws TagscopeError "'<mask>' is an invalid mask at (<position>)" for a set without "]", an empty set, a "-"
    // with nothing before it in a set, or more than 30 runs of "*".
    explicit FileMask(QStringView mask);

    bool matches(QStringView name) const;

    // Whether the mask matches every name ("*", "**", "*?"), which lets a scan skip the test.
    bool matchesEverything() const;

private:
    struct Range
    {
        char32_t first;
        char32_t last;
    };
    enum class Kind
    {
        Star,
        Any,
        Literal,
        Set
    };
    struct Token
    {
        explicit Token(Kind k, char32_t c = 0) : kind(k), literal(c) {}
        Kind kind;
        bool negate = false;
        char32_t literal = 0;
        std::vector<Range> ranges;
    };

    bool tokenMatches(const Token& token, char32_t c) const;

    std::vector<Token> m_tokens;
};

// The filter box's text read into its entries (SplitFilter), each mask prepared once for a whole scan. An invalid mask
// raises no error here: NameMatchesFilter raises it when a name reaches it.
class NameFilter final
{
public:
    NameFilter(QStringView filter, bool caseSensitive);

private:
    friend bool NameMatchesFilter(QStringView name, const NameFilter& filter);

    struct Entry
    {
        QString text;
        std::optional<FileMask> mask; // empty for an invalid mask, whose error is raised when a name reaches it
        QString error;
    };

    bool m_caseSensitive;
    bool m_matchesEverything = false;
    std::vector<Entry> m_entries;
};

// Whether a file name passes the filter: when it is case-sensitive, an entry passes when it is empty or occurs in the
// name; otherwise when, read as a FileMask, it matches the whole name. The entries are tried in order; no entry, no
// pass. Throws the invalid-mask error of the first invalid entry reached (never when case-sensitive).
bool NameMatchesFilter(QStringView name, const NameFilter& filter);

// The filter text as a scan uses it: A to Z made lower case unless caseSensitive (so an error shows the mask in lower
// case), unchanged otherwise.
QString ScanFilterText(const QString& filterText, bool caseSensitive);

// The filter box text after "Case-Sensitive" was switched: switched on, every "*" and "?" is removed; switched off,
// an empty text becomes "*" and any other text gets a "*" before and after it.
QString FilterTextAfterCaseSwitch(const QString& filterText, bool nowCaseSensitive);

// The filter box text a scan starts with: an empty filter becomes "*" unless it is case-sensitive, where it stays
// empty and lists nothing.
QString FilterTextForScanStart(const QString& filterText, bool caseSensitive);
