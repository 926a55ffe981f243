#include "core/filelist/filerecords.h"

#include "core/base/filenames.h"
#include "core/base/paths.h"
#include "core/filelist/filesort.h"
#include "core/filelist/filetexts.h"

#include <algorithm>

std::size_t FileRecords::size() const
{
    std::lock_guard lock(m_mutex);
    return m_array.size();
}

TMyRecord FileRecords::at(std::size_t i) const
{
    std::lock_guard lock(m_mutex);
    return i < m_array.size() ? m_array[i] : TMyRecord{};
}

void FileRecords::append(std::vector<TMyRecord>& batch)
{
    if (batch.empty())
        return;
    std::lock_guard lock(m_mutex);
    for (TMyRecord& record : batch)
        m_array.push_back(std::move(record));
    batch.clear();
    if (m_appendListener)
        m_appendListener();
}

void FileRecords::setAppendListener(std::function<void()> listener)
{
    std::lock_guard lock(m_mutex);
    m_appendListener = std::move(listener);
}

void FileRecords::clear()
{
    std::lock_guard lock(m_mutex);
    m_array.clear();
}

void FileRecords::RemoveRecordAt(std::size_t i)
{
    std::lock_guard lock(m_mutex);
    if (i < m_array.size())
        m_array.removeSorted({i});
}

std::size_t FileRecords::removeRecords(std::vector<std::size_t> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::lock_guard lock(m_mutex);
    indices.erase(std::lower_bound(indices.begin(), indices.end(), m_array.size()), indices.end());
    m_array.removeSorted(indices);
    return indices.size();
}

std::vector<std::size_t> FileRecords::RemoveRecordsWithPath(const QString& path)
{
    std::lock_guard lock(m_mutex);
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_array.size(); ++i) {
        if (m_array[i].fullNameEquals(path))
            found.push_back(i);
    }
    m_array.removeSorted(found);
    return found;
}

bool FileRecords::renameRecord(std::size_t i, const QString& newFullName)
{
    const qsizetype cut = newFullName.lastIndexOf(kPathSeparator) + 1;
    std::lock_guard lock(m_mutex);
    if (i >= m_array.size())
        return false;
    TMyRecord& record = m_array[i];
    const QStringView folder = QStringView(newFullName).first(cut);
    if (folder != record.FFolder)
        record.FFolder = folder.toString();
    record.FName = newFullName.sliced(cut);
    // The Extension column follows the new name.
    record.FExtension = ExtensionText(ShownFileName(record.FName));
    return true;
}

void FileRecords::setImageIndex(std::size_t i, qint32 imageIndex)
{
    std::lock_guard lock(m_mutex);
    if (i < m_array.size())
        m_array[i].FImageIndex = imageIndex;
}

void FileRecords::forgetImageIndexes()
{
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_array.size(); ++i)
        m_array[i].FImageIndex = -1;
}

void FileRecords::sort(int column, bool descending)
{
    std::lock_guard lock(m_mutex);
    SortRecordArray(m_array, column, descending);
}
