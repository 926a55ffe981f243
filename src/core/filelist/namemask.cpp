#include "core/filelist/namemask.h"

#include "core/base/errors.h"

#include <algorithm>

namespace {

// More runs of "*" than this make a mask invalid.
constexpr int kMaxStarRuns = 30;

bool isBlankOrControl(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

char32_t upperAscii(char32_t c)
{
    return (c >= U'a' && c <= U'z') ? c - U'a' + U'A' : c;
}

// Reads the code point at i (a surrogate pair counts as one character) and moves i past it.
char32_t nextCodePoint(QStringView text, qsizetype& i)
{
    const char16_t first = text[i].unicode();
    ++i;
    if (QChar::isHighSurrogate(first) && i < text.size() && QChar::isLowSurrogate(text[i].unicode())) {
        const char16_t second = text[i].unicode();
        ++i;
        return QChar::surrogateToUcs4(first, second);
    }
    return first;
}

[[noreturn]] void throwInvalidMask(QStringView mask, qsizetype index)
{
    throw TagscopeError(QStringLiteral("'%1' is an invalid mask at (%2)").arg(mask, QString::number(index + 1)));
}

} // namespace

QStringList SplitFilter(QStringView filter)
{
    // A NUL character ends the text; read as an entry's end, it would never be skipped and the split never end.
    if (const qsizetype nul = filter.indexOf(QChar(0)); nul >= 0)
        filter = filter.first(nul);
    QStringList entries;
    const qsizetype n = filter.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlankOrControl(filter[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString entry;
        if (filter[i] == u'"') {
            ++i;
            while (i < n) {
                if (filter[i] == u'"') {
                    if (i + 1 < n && filter[i + 1] == u'"') {
                        entry += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += filter[i];
                ++i;
            }
        } else {
            const qsizetype start = i;
            while (i < n && filter[i] != u';' && filter[i].unicode() > 32)
                ++i;
            entry = filter.sliced(start, i - start).toString();
        }
        entries.append(entry);
        skipBlanks();
        if (i < n && filter[i] == u';') {
            if (i == n - 1)
                entries.append(QString());
            ++i;
            skipBlanks();
        }
    }
    return entries;
}

FileMask::FileMask(QStringView mask)
{
    const qsizetype n = mask.size();
    qsizetype i = 0;
    bool starPending = false;
    int starRuns = 0;

    // Every token that matches one character (and the end of the name) closes a pending run of "*"; the run is
    // counted there, so an error for too many runs points at the token after the 31st run.
    auto closeStarRun = [&](qsizetype position) {
        if (!starPending)
            return;
        if (++starRuns > kMaxStarRuns)
            throwInvalidMask(mask, position);
        m_tokens.emplace_back(Kind::Star);
        starPending = false;
    };

    while (i < n) {
        const qsizetype position = i;
        const char32_t c = nextCodePoint(mask, i);
        if (c == U'*') {
            starPending = true;
        } else if (c == U'?') {
            // A "?" right after a "*" is ignored, so "*?" is the same as "*".
            if (!starPending) {
                m_tokens.emplace_back(Kind::Any);
            }
        } else if (c == U'[') {
            Token set(Kind::Set);
            if (i < n && mask[i] == u'!') {
                set.negate = true;
                ++i;
            }
            std::optional<char32_t> last;
            bool hasMember = false;
            while (i < n && mask[i] != u']') {
                const qsizetype itemPosition = i;
                const char32_t item = nextCodePoint(mask, i);
                if (item == U'-') {
                    if (!last)
                        throwInvalidMask(mask, itemPosition);
                    if (i >= n)
                        break; // "[a-" has no end of its range and no "]"
                    // The character after "-" ends the range whatever it is, even a "]".
                    const char32_t rangeEnd = upperAscii(nextCodePoint(mask, i));
                    if (*last <= rangeEnd) {
                        set.ranges.push_back({*last, rangeEnd});
                        hasMember = true;
                    }
                } else {
                    last = upperAscii(item);
                    set.ranges.push_back({*last, *last});
                    hasMember = true;
                }
            }
            if (i >= n || !hasMember)
                throwInvalidMask(mask, i);
            closeStarRun(i);
            ++i; // past "]"
            m_tokens.push_back(std::move(set));
            continue;
        } else {
            closeStarRun(position);
            m_tokens.emplace_back(Kind::Literal, upperAscii(c));
            continue;
        }
    }
    closeStarRun(n);
}

bool FileMask::matchesEverything() const
{
    return m_tokens.size() == 1 && m_tokens.front().kind == Kind::Star;
}

bool FileMask::tokenMatches(const Token& token, char32_t c) const
{
    switch (token.kind) {
    case Kind::Any:
        return true;
    case Kind::Literal:
        return upperAscii(c) == token.literal;
    case Kind::Set: {
        const char32_t u = upperAscii(c);
        const bool in = std::any_of(token.ranges.begin(), token.ranges.end(),
                                    [u](const Range& r) { return u >= r.first && u <= r.last; });
        return in != token.negate;
    }
    case Kind::Star:
        break;
    }
    return false;
}

bool FileMask::matches(QStringView name) const
{
    // Every token but "*" takes exactly one character, so on a mismatch it is enough to let the latest "*" take one
    // more character: no other choice of an earlier "*" can succeed where that one fails.
    const qsizetype tokenCount = static_cast<qsizetype>(m_tokens.size());
    qsizetype i = 0;
    qsizetype t = 0;
    qsizetype starToken = -1;
    qsizetype starResume = 0;
    while (i < name.size()) {
        if (t < tokenCount && m_tokens[t].kind == Kind::Star) {
            starToken = t++;
            starResume = i;
            continue;
        }
        if (t < tokenCount) {
            qsizetype next = i;
            const char32_t c = nextCodePoint(name, next);
            if (tokenMatches(m_tokens[t], c)) {
                i = next;
                ++t;
                continue;
            }
        }
        if (starToken < 0)
            return false;
        t = starToken + 1;
        nextCodePoint(name, starResume);
        i = starResume;
    }
    while (t < tokenCount && m_tokens[t].kind == Kind::Star)
        ++t;
    return t == tokenCount;
}

NameFilter::NameFilter(QStringView filter, bool caseSensitive) : m_caseSensitive(caseSensitive)
{
    const QStringList entries = SplitFilter(filter);
    m_entries.reserve(static_cast<size_t>(entries.size()));
    for (const QString& text : entries) {
        Entry entry{text, std::nullopt, {}};
        if (!caseSensitive) {
            try {
                entry.mask.emplace(text);
            } catch (const TagscopeError& error) {
                // Raised only when a name reaches this entry, so that the names an earlier one takes still pass.
                entry.error = error.message();
            }
        }
        const bool everything = caseSensitive ? text.isEmpty() : (entry.mask && entry.mask->matchesEverything());
        m_entries.push_back(std::move(entry));
        if (everything) {
            // Nothing after an entry that takes every name is ever reached.
            m_matchesEverything = true;
            break;
        }
    }
}

bool NameMatchesFilter(QStringView name, const NameFilter& filter)
{
    if (filter.m_matchesEverything && filter.m_entries.size() == 1)
        return true;
    for (const NameFilter::Entry& entry : filter.m_entries) {
        if (filter.m_caseSensitive) {
            if (entry.text.isEmpty() || name.contains(entry.text, Qt::CaseSensitive))
                return true;
        } else {
            if (!entry.mask)
                throw TagscopeError(entry.error);
            if (entry.mask->matches(name))
                return true;
        }
    }
    return false;
}

QString ScanFilterText(const QString& filterText, bool caseSensitive)
{
    if (caseSensitive)
        return filterText;
    QString lowered = filterText;
    for (QChar& c : lowered) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    }
    return lowered;
}

QString FilterTextAfterCaseSwitch(const QString& filterText, bool nowCaseSensitive)
{
    if (nowCaseSensitive) {
        QString t = filterText;
        t.remove(u'*');
        t.remove(u'?');
        return t;
    }
    if (filterText.isEmpty())
        return QStringLiteral("*");
    return u'*' + filterText + u'*';
}

QString FilterTextForScanStart(const QString& filterText, bool caseSensitive)
{
    if (filterText.isEmpty() && !caseSensitive)
        return QStringLiteral("*");
    return filterText;
}
