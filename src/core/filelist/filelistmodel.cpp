#include "core/filelist/filelistmodel.h"

#include "core/base/filenames.h"
#include "core/base/paths.h"
#include "core/filelist/filerecords.h"
#include "core/filelist/filesort.h"
#include "core/filelist/filetexts.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace {

struct ColumnInfo
{
    const char16_t* caption;
    int width;
    Qt::Alignment alignment;
};

constexpr std::array<ColumnInfo, FileColumnCount> kColumns{{
    {u"Filename", 300, Qt::AlignLeft},
    {u"Extension", 80, Qt::AlignHCenter},
    {u"Date Modified", 175, Qt::AlignHCenter},
    {u"Size (bytes)", 140, Qt::AlignHCenter},
}};

bool isColumn(int column)
{
    return column >= 0 && column < FileColumnCount;
}

} // namespace

FileListModel::FileListModel(FileRecords& records, const QLocale& locale, QObject* parent)
    : QAbstractTableModel(parent), m_records(records), m_locale(locale), m_dates(locale)
{
    m_rowCount = static_cast<int>(m_records.size());
    m_records.setAppendListener([this] {
        // One queued announcement at a time, however many batches arrive before it runs.
        if (!m_announcementQueued.exchange(true))
            QMetaObject::invokeMethod(this, &FileListModel::onRecordsAppended, Qt::QueuedConnection);
    });
}

FileListModel::~FileListModel()
{
    m_records.setAppendListener(nullptr);
}

QString FileListModel::columnCaption(int column)
{
    return isColumn(column) ? QString::fromUtf16(kColumns[static_cast<std::size_t>(column)].caption) : QString();
}

int FileListModel::columnWidth(int column)
{
    return isColumn(column) ? kColumns[static_cast<std::size_t>(column)].width : 0;
}

Qt::Alignment FileListModel::columnAlignment(int column)
{
    return isColumn(column) ? kColumns[static_cast<std::size_t>(column)].alignment : Qt::AlignLeft;
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FileColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount || !isColumn(index.column()))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        const FileRecords::Reader list = m_records.read();
        const TMyRecord& r = list[row];
        switch (index.column()) {
        case FilenameColumn:
            return ShownFileName(r.FFullName());
        case ExtensionColumn:
            return r.FExtension;
        case DateColumn:
            return r.FDate(m_dates);
        case SizeColumn:
            return r.FSize == -1 ? QStringLiteral("-") : GroupedNumberText(r.FSize, m_locale);
        }
        return {};
    }
    case Qt::ToolTipRole: {
        // The whole path, which the column may show shortened.
        if (index.column() != FilenameColumn)
            return {};
        const FileRecords::Reader list = m_records.read();
        return ShownFileName(list[row].FFullName());
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(index.column()) | Qt::AlignVCenter);
    case Qt::DecorationRole: {
        if (index.column() != FilenameColumn)
            return {};
        if (!m_showIcons)
            return m_icons.icon(FileIcons::kBlankIndex);
        QString name;
        qint32 imageIndex = -1;
        {
            const FileRecords::Reader list = m_records.read();
            imageIndex = list[row].FImageIndex;
            if (imageIndex < 0 || imageIndex >= m_icons.count())
                name = list[row].FName;
        }
        if (!name.isNull()) {
            // Only this thread reorders or removes records, so row still holds the same record here.
            imageIndex = m_icons.indexFor(name);
            m_records.setImageIndex(row, imageIndex);
        }
        return m_icons.icon(imageIndex);
    }
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !isColumn(section))
        return {};
    if (role == Qt::DisplayRole)
        return columnCaption(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columnAlignment(section) | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    if (!isColumn(column))
        return;
    // Rows keep their positions: no persistent index is moved, so a selection stays on the same rows.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_records.sort(column, order == Qt::DescendingOrder);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::clear()
{
    beginResetModel();
    m_records.clear();
    m_rowCount = 0;
    m_icons.ImageListSifirla();
    endResetModel();
}

void FileListModel::ImageListSifirla()
{
    // An index into the old cache would name another file type's picture in the new one.
    m_records.forgetImageIndexes();
    m_icons.ImageListSifirla();
}

void FileListModel::onRecordsAppended()
{
    // Cleared before reading the count, so that an append after the read queues another announcement.
    m_announcementQueued.store(false);
    syncRowCount();
}

void FileListModel::syncRowCount()
{
    const int complete = static_cast<int>(m_records.size());
    if (complete > m_rowCount) {
        beginInsertRows({}, m_rowCount, complete - 1);
        m_rowCount = complete;
        endInsertRows();
    } else if (complete < m_rowCount) {
        // Records were removed behind the model's back; it cannot tell which.
        beginResetModel();
        m_rowCount = complete;
        endResetModel();
    }
}

QString FileListModel::KacItemVarGuncelle()
{
    syncRowCount();
    return ItemCountText(m_rowCount, m_locale);
}

void FileListModel::removeAnnounced(std::vector<std::size_t> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::lower_bound(rows.begin(), rows.end(), static_cast<std::size_t>(m_rowCount)), rows.end());
    // Scattered rows: one pass over the list and one reset, rather than a removal (and a pass) per run.
    std::size_t runs = 0;
    for (std::size_t k = 0; k < rows.size(); ++k)
        runs += k == 0 || rows[k - 1] + 1 != rows[k];
    if (runs > kMaxRemovalRuns) {
        beginResetModel();
        m_rowCount -= static_cast<int>(rows.size());
        m_records.removeRecords(std::move(rows));
        endResetModel();
        return;
    }
    // From the last run of adjacent rows to the first, so the lower row numbers stay valid.
    while (!rows.empty()) {
        std::size_t first = rows.size() - 1;
        while (first > 0 && rows[first - 1] + 1 == rows[first])
            --first;
        const int from = static_cast<int>(rows[first]);
        const int to = static_cast<int>(rows.back());
        beginRemoveRows({}, from, to);
        std::vector<std::size_t> run(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.end());
        m_records.removeRecords(std::move(run));
        m_rowCount -= to - from + 1;
        endRemoveRows();
        rows.resize(first);
    }
}

void FileListModel::RemoveRecordAt(int row)
{
    if (row < 0 || row >= m_rowCount)
        return;
    removeAnnounced({static_cast<std::size_t>(row)});
}

void FileListModel::removeRecords(const std::vector<int>& rows)
{
    std::vector<std::size_t> valid;
    valid.reserve(rows.size());
    for (const int row : rows) {
        if (row >= 0 && row < m_rowCount)
            valid.push_back(static_cast<std::size_t>(row));
    }
    removeAnnounced(std::move(valid));
}

void FileListModel::RemoveRecordsWithPath(const QString& path)
{
    RemoveRecordsWithPaths({path});
}

void FileListModel::RemoveRecordsWithPaths(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // The paths by their names, so that each record costs one lookup of its name.
    QHash<QStringView, QList<QStringView>> byName;
    for (const QString& path : paths) {
        const QStringView view(path);
        byName[view.sliced(view.lastIndexOf(kPathSeparator) + 1)].append(view);
    }
    std::vector<std::size_t> announced;
    std::vector<std::size_t> pending;
    {
        const FileRecords::Reader list = m_records.read();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto it = byName.constFind(QStringView(list[i].FName));
            if (it == byName.constEnd())
                continue;
            for (const QStringView path : *it) {
                if (list[i].fullNameEquals(path)) {
                    (i < static_cast<std::size_t>(m_rowCount) ? announced : pending).push_back(i);
                    break;
                }
            }
        }
    }
    // Records not yet announced sit after every announced one, so removing them first moves no announced row.
    m_records.removeRecords(std::move(pending));
    removeAnnounced(std::move(announced));
}

bool FileListModel::renameRecord(int row, const QString& newFullName)
{
    if (row < 0 || row >= m_rowCount)
        return false;
    const auto i = static_cast<std::size_t>(row);
    if (!m_records.renameRecord(i, newFullName))
        return false;
    // The new name may be of another type; its picture is looked up again when the row is drawn.
    m_records.setImageIndex(i, -1);
    // The Extension column changes with the name.
    emit dataChanged(index(row, 0), index(row, FileColumnCount - 1));
    return true;
}
