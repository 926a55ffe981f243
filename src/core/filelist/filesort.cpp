#include "core/filelist/filesort.h"

#include "core/filelist/recordarray.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

// A text made of two parts, compared as if they were joined.
struct TwoPartText
{
    const char16_t* first;
    std::uint32_t firstSize;
    const char16_t* second;
    std::uint32_t secondSize;
};

int compareUnits(const char16_t* a, const char16_t* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

int compareTwoPart(const TwoPartText& a, const TwoPartText& b)
{
    // The files of one folder share the folder's text, so most comparisons only look at the names.
    if (a.first == b.first && a.firstSize == b.firstSize) {
        const std::size_t n = std::min(a.secondSize, b.secondSize);
        if (const int c = compareUnits(a.second, b.second, n))
            return c;
        return a.secondSize == b.secondSize ? 0 : (a.secondSize < b.secondSize ? -1 : 1);
    }
    const char16_t* pa = a.first;
    std::size_t na = a.firstSize;
    const char16_t* pb = b.first;
    std::size_t nb = b.firstSize;
    bool aInSecond = false;
    bool bInSecond = false;
    for (;;) {
        if (na == 0 && !aInSecond) {
            pa = a.second;
            na = a.secondSize;
            aInSecond = true;
            continue;
        }
        if (nb == 0 && !bInSecond) {
            pb = b.second;
            nb = b.secondSize;
            bInSecond = true;
            continue;
        }
        const std::size_t n = std::min(na, nb);
        if (n == 0)
            return na == nb ? 0 : (na == 0 ? -1 : 1);
        if (const int c = compareUnits(pa, pb, n))
            return c;
        pa += n;
        pb += n;
        na -= n;
        nb -= n;
    }
}

TwoPartText fullNameOf(const TMyRecord& r)
{
    return {reinterpret_cast<const char16_t*>(r.FFolder.constData()), static_cast<std::uint32_t>(r.FFolder.size()),
            reinterpret_cast<const char16_t*>(r.FName.constData()), static_cast<std::uint32_t>(r.FName.size())};
}

struct NumberKey
{
    qint64 key;
    std::uint32_t index;
};

template <typename Key, typename Less> void sortKeys(std::vector<Key>& keys, bool descending, Less less)
{
    if (descending)
        std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) { return less(b, a); });
    else
        std::sort(keys.begin(), keys.end(), less);
}

// Sorts by a number per record; works on a compact array of (number, index) so that the sort never touches the
// records themselves.
template <typename NumberOf>
std::vector<std::uint32_t> orderByNumber(const RecordArray& records, bool descending, NumberOf numberOf)
{
    std::vector<NumberKey> keys(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        keys[i] = {numberOf(records[i]), static_cast<std::uint32_t>(i)};
    sortKeys(keys, descending, [](const NumberKey& a, const NumberKey& b) { return a.key < b.key; });
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
    return order;
}

// Extensions are few: each distinct text gets its rank among them, and the records are sorted by rank.
std::vector<std::uint32_t> orderByExtension(const RecordArray& records, bool descending)
{
    QHash<QString, qint64> rankOf;
    std::vector<QString> distinct;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const QString& e = records[i].FExtension;
        if (!rankOf.contains(e)) {
            rankOf.insert(e, 0);
            distinct.push_back(e);
        }
    }
    std::sort(distinct.begin(), distinct.end(),
              [](const QString& a, const QString& b) { return CompareTexts(a, b) < 0; });
    for (std::size_t r = 0; r < distinct.size(); ++r)
        rankOf[distinct[r]] = static_cast<qint64>(r);
    const QString* lastText = nullptr;
    qint64 lastRank = 0;
    return orderByNumber(records, descending, [&](const TMyRecord& r) {
        if (!lastText || r.FExtension.constData() != lastText->constData() || r.FExtension.size() != lastText->size()) {
            lastRank = rankOf.value(r.FExtension);
            lastText = &r.FExtension;
        }
        return lastRank;
    });
}

struct NameKey
{
    TwoPartText text;
    std::uint32_t index;
};

std::vector<std::uint32_t> orderByFullName(const RecordArray& records, bool descending)
{
    std::vector<NameKey> keys(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        keys[i] = {fullNameOf(records[i]), static_cast<std::uint32_t>(i)};
    sortKeys(keys, descending, [](const NameKey& a, const NameKey& b) { return compareTwoPart(a.text, b.text) < 0; });
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].index;
    return order;
}

int sign(qint64 a, qint64 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

void SortState::ListView1ColumnClick(int column)
{
    if (column == SortedColumn) {
        Descending = !Descending;
    } else {
        SortedColumn = column;
        Descending = false;
    }
}

int CompareTexts(QStringView a, QStringView b)
{
    const TwoPartText ta{reinterpret_cast<const char16_t*>(a.data()), static_cast<std::uint32_t>(a.size()), nullptr, 0};
    const TwoPartText tb{reinterpret_cast<const char16_t*>(b.data()), static_cast<std::uint32_t>(b.size()), nullptr, 0};
    return compareTwoPart(ta, tb);
}

int CompareFullNames(const TMyRecord& a, const TMyRecord& b)
{
    return compareTwoPart(fullNameOf(a), fullNameOf(b));
}

int CompareRecords(int column, const TMyRecord& a, const TMyRecord& b)
{
    switch (column) {
    case FilenameColumn:
        return CompareFullNames(a, b);
    case ExtensionColumn:
        return CompareTexts(a.FExtension, b.FExtension);
    case DateColumn:
        return sign(a.FDateKey, b.FDateKey);
    case SizeColumn:
        return sign(a.FSize, b.FSize);
    default:
        return 0;
    }
}

void SortRecordArray(RecordArray& records, int column, bool descending)
{
    if (records.size() < 2)
        return;
    std::vector<std::uint32_t> order;
    switch (column) {
    case FilenameColumn:
        order = orderByFullName(records, descending);
        break;
    case ExtensionColumn:
        order = orderByExtension(records, descending);
        break;
    case DateColumn:
        order = orderByNumber(records, descending, [](const TMyRecord& r) { return r.FDateKey; });
        break;
    case SizeColumn:
        order = orderByNumber(records, descending, [](const TMyRecord& r) { return r.FSize; });
        break;
    default:
        return;
    }
    records.permute(order);
}
