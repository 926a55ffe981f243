#pragma once

#include "core/filelist/filerecord.h"
#include "core/filelist/filetexts.h"

#include <QHashFunctions>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class FileRecords;

// The files a walk found since its last hand-over, as the listing gave them: the names as bytes, one text per folder.
struct FoundFiles
{
    struct File
    {
        std::size_t folder; // index into folders
        std::size_t nameStart;
        std::size_t nameLength;
        bool lookedUp; // a lookup found the file; without it there is no size and no date
        bool foreign;  // the name holds bytes that are not UTF-8
        qint64 size;
        qint64 modified;
    };
    std::vector<QString> folders;
    std::vector<File> files;
    std::vector<char> names;

    void clear();
};

// The extension texts of one scan, one shared string per extension as written.
class ExtensionTexts final
{
public:
    // name: as shown, since the extension's text is shown.
    const QString& text(QStringView name);

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
    };
    struct Equal
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };

    std::unordered_map<QString, QString, Hash, Equal> m_texts;
};

// Makes the records of the files a walk found and appends them to the file list, on a thread of its own. Listing and
// looking up files is the kernel's work and most of a scan's time; making the records (their texts, their allocations
// and the first touch of the memory they take) is the rest, and here it runs beside the walk instead of after each
// file. The walk hands over batches of found files and gets empty ones back to fill, whose buffers are reused.
class RecordBuilder final
{
public:
    // calculateSize: "Calculate Filesize"; locale: for the date texts.
    RecordBuilder(FileRecords& records, bool calculateSize, const QLocale& locale);
    // Builds what was handed over, then ends the thread.
    ~RecordBuilder();
    RecordBuilder(const RecordBuilder&) = delete;
    RecordBuilder& operator=(const RecordBuilder&) = delete;

    // Hands found over to be built and gives back an empty batch to fill next. Waits while several batches wait
    // already, so that a slow builder cannot pile them up.
    std::unique_ptr<FoundFiles> exchange(std::unique_ptr<FoundFiles> found);

    // Returns once every file handed over is in the list; rethrows what stopped the builder.
    void drain();

private:
    void serve();
    void build(const FoundFiles& found);

    FileRecords& m_records;
    const bool m_calculateSize;
    FileDateTexts m_dates;
    ExtensionTexts m_extensions;
    std::vector<TMyRecord> m_batch;

    std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<FoundFiles>> m_waiting;
    std::vector<std::unique_ptr<FoundFiles>> m_spare;
    bool m_building = false;
    bool m_quit = false;
    std::exception_ptr m_error;

    std::thread m_thread; // last: it starts once everything above is made
};
