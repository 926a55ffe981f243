// The filter box's text and its masks, matched against file names. The input is UTF-8: its first byte chooses
// "Case-Sensitive" (lowest bit set), the first line after it is the filter text and every further line a name.

#include "fuzzsupport.h"

#include "core/base/errors.h"
#include "core/filelist/namemask.h"

#include <QStringList>

#include <optional>

namespace {

// The result of one match: whether the name passed, or the error raised.
struct Outcome
{
    bool passed = false;
    std::optional<QString> error;

    bool operator==(const Outcome&) const = default;
};

template <typename Match> Outcome outcomeOf(Match match)
{
    Outcome outcome;
    try {
        outcome.passed = match();
    } catch (const TagscopeError& error) {
        outcome.error = error.message();
    }
    return outcome;
}

bool hasWildcard(const QString& text)
{
    return text.contains(u'*') || text.contains(u'?') || text.contains(u'[');
}

// The filter read afresh for one name, entry by entry, without the prepared filter's shortcuts (the entry that takes
// every name, the errors kept for later): what NameMatchesFilter must answer.
bool entryByEntry(const QString& name, const QString& filter, bool caseSensitive)
{
    for (const QString& entry : SplitFilter(filter)) {
        if (caseSensitive) {
            if (entry.isEmpty() || name.contains(entry, Qt::CaseSensitive))
                return true;
        } else if (FileMask(entry).matches(name)) {
            return true;
        }
    }
    return false;
}

// A to Z and a to z swapped, which a mask must not notice.
QString asciiCaseSwapped(const QString& text)
{
    QString swapped = text;
    for (QChar& c : swapped) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    }
    return swapped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool caseSensitive = (data[0] & 1) != 0;
    const QString text = QString::fromUtf8(FuzzBytes(data + 1, size - 1));
    QStringList lines = text.split(u'\n');
    const QString filter = ScanFilterText(lines.takeFirst(), caseSensitive);

    const QStringList entries = SplitFilter(filter);
    for (const QString& entry : entries) {
        if (caseSensitive)
            continue;
        std::optional<FileMask> mask;
        try {
            mask.emplace(entry);
        } catch (const TagscopeError&) {
            continue;
        }
        // A mask without wildcards names one file, in either letter case of A to Z.
        if (!hasWildcard(entry)) {
            FUZZ_CHECK(mask->matches(entry));
            FUZZ_CHECK(mask->matches(asciiCaseSwapped(entry)));
        }
        if (mask->matchesEverything()) {
            for (const QString& name : lines)
                FUZZ_CHECK(mask->matches(name));
        }
    }

    // The filter prepared once for a scan decides every name as the filter read afresh does, error included.
    const NameFilter prepared(filter, caseSensitive);
    for (const QString& name : lines) {
        const Outcome afresh = outcomeOf([&] { return entryByEntry(name, filter, caseSensitive); });
        const Outcome scanned = outcomeOf([&] { return NameMatchesFilter(name, prepared); });
        FUZZ_CHECK(afresh == scanned);
    }
    return 0;
}
