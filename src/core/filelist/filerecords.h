#pragma once

#include "core/filelist/recordarray.h"

#include <QString>

#include <functional>
#include <mutex>
#include <vector>

// The file list: the records of the last scan, in the order the list shows them, guarded by one lock. The scan
// thread appends while the user-interface thread reads, sorts, renames and removes; every access takes the lock.
// std::mutex rather than QMutex, so that ThreadSanitizer sees the synchronisation. While a FileListModel shows the
// list, remove, rename, sort and clear through the model, which also tells the view.
class FileRecords final
{
public:
    // Read access to the whole list while the lock is held; keep it short-lived, and call nothing else of the list
    // (or of the list model) while holding it: the lock is not recursive.
    class Reader final
    {
    public:
        std::size_t size() const { return m_array.size(); }
        const TMyRecord& operator[](std::size_t i) const { return m_array[i]; }

    private:
        friend class FileRecords;
        Reader(std::mutex& mutex, const RecordArray& array) : m_lock(mutex), m_array(array) {}
        std::unique_lock<std::mutex> m_lock;
        const RecordArray& m_array;
    };

    FileRecords() = default;
    FileRecords(const FileRecords&) = delete;
    FileRecords& operator=(const FileRecords&) = delete;

    Reader read() const { return Reader(m_mutex, m_array); }
    std::size_t size() const;
    // A copy of record i; an empty record when i is past the end.
    TMyRecord at(std::size_t i) const;

    // Moves the finished records of batch to the end of the list and empties batch; then calls the append listener
    // (still under the lock, so that it cannot be removed while it runs).
    void append(std::vector<TMyRecord>& batch);

    // Called on the appending thread after every append. It must be quick and must not touch the list.
    void setAppendListener(std::function<void()> listener);

    void clear();

    // Removes record i; nothing when i is past the end.
    void RemoveRecordAt(std::size_t i);
    // Removes the records at the given indices (any order, duplicates allowed); returns how many went.
    std::size_t removeRecords(std::vector<std::size_t> indices);
    // Removes every record whose full name is path (exact, case-sensitive); returns the indices removed, ascending,
    // as they were before the removal.
    std::vector<std::size_t> RemoveRecordsWithPath(const QString& path);
    // Gives record i a new full name (FFolder and FName) and the extension text of the new name; FDateKey stays. False
    // when i is past the end.
    bool renameRecord(std::size_t i, const QString& newFullName);

    void setImageIndex(std::size_t i, qint32 imageIndex);
    // Every record's picture is to be looked up again.
    void forgetImageIndexes();

    // Sorts the whole list by a column of the list (0 name, 1 extension, 2 date, 3 size); other columns leave it
    // alone.
    void sort(int column, bool descending);

private:
    mutable std::mutex m_mutex;
    RecordArray m_array;
    std::function<void()> m_appendListener;
};
