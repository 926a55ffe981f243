#include "core/filelist/filewalker.h"

#include "core/base/filenames.h"
#include "core/base/paths.h"

#include "core/filelist/filerecord.h"
#include "core/filelist/filerecords.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHashFunctions>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

// Found files are handed to the builder when this many have gathered, or when this much time has passed since the
// last hand-over, so that the list grows visibly on a slow disk without taking the lock for every file.
constexpr std::size_t kHandOverSize = 512;
constexpr qint64 kHandOverMilliseconds = 50;
// Reading the clock costs more than handling an entry; it is read once per this many entries.
constexpr unsigned kEntriesPerClockReading = 64;
// Hand-overs waiting for the builder; the walk waits when this many are, so a slow builder cannot pile them up.
constexpr std::size_t kMaxWaiting = 4;

struct TextHash
{
    using is_transparent = void;
    std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
};

struct TextEqual
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
};

// The extension texts of one scan, one shared string per extension as written.
class ExtensionTexts final
{
public:
    // name: as shown, since the extension's text is shown.
    const QString& text(QStringView name)
    {
        const QStringView raw = PathExtension(name);
        auto it = m_texts.find(raw);
        if (it == m_texts.end())
            it = m_texts.emplace(raw.toString(), ExtensionText(raw)).first;
        return it->second;
    }

private:
    std::unordered_map<QString, QString, TextHash, TextEqual> m_texts;
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

qint64 monotonicMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

// The files found since the last hand-over, as the listing gave them: the names as bytes, one text per folder.
struct FileWalker::Found
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

    void clear()
    {
        folders.clear();
        files.clear();
        names.clear();
    }
};

// Makes the records of the found files and appends them to the file list, on a thread of its own. Listing and looking
// up files is the kernel's work and most of a scan's time; making the records (their texts, their allocations and
// the first touch of the memory they take) is the rest, and here it runs beside the walk instead of after each file.
class FileWalker::Builder final
{
public:
    Builder(FileRecords& records, const ScanSettings& settings)
        : m_records(records), m_calculateSize(settings.calculateSize), m_dates(settings.locale),
          m_thread([this] { serve(); })
    {}

    ~Builder()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // Hands found over to be built and gives back an empty one to fill next, whose buffers are reused.
    std::unique_ptr<Found> exchange(std::unique_ptr<Found> found)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting.size() < kMaxWaiting; });
        m_waiting.push_back(std::move(found));
        std::unique_ptr<Found> next;
        if (!m_spare.empty()) {
            next = std::move(m_spare.back());
            m_spare.pop_back();
        }
        lock.unlock();
        m_changed.notify_all();
        return next ? std::move(next) : std::make_unique<Found>();
    }

    // Returns once every file handed over is in the list; rethrows what stopped the builder.
    void drain()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting.empty() && !m_building; });
        if (m_error)
            std::rethrow_exception(std::exchange(m_error, nullptr));
    }

private:
    void serve()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_quit || !m_waiting.empty(); });
            if (m_waiting.empty())
                return;
            std::unique_ptr<Found> found = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_building = true;
            lock.unlock();
            m_changed.notify_all();
            std::exception_ptr error;
            try {
                build(*found);
            } catch (...) {
                error = std::current_exception();
            }
            found->clear();
            lock.lock();
            m_spare.push_back(std::move(found));
            m_building = false;
            if (error && !m_error)
                m_error = error;
            m_changed.notify_all();
        }
    }

    void build(const Found& found)
    {
        m_batch.reserve(found.files.size());
        for (const Found::File& file : found.files) {
            TMyRecord record;
            const QByteArrayView name(found.names.data() + file.nameStart, qsizetype(file.nameLength));
            if (file.foreign) {
                record.FName = DecodeFileName(name);
                record.FExtension = m_extensions.text(ShownFileName(record.FName));
            } else {
                record.FName = QString::fromUtf8(name);
                record.FExtension = m_extensions.text(record.FName);
            }
            record.FFolder = found.folders[file.folder];
            if (file.lookedUp) {
                record.FDateKey = m_dates.key(file.modified);
                if (m_calculateSize)
                    record.FSize = file.size;
            }
            m_batch.push_back(std::move(record));
        }
        m_records.append(m_batch);
    }

    FileRecords& m_records;
    const bool m_calculateSize;
    FileDateTexts m_dates;
    ExtensionTexts m_extensions;
    std::vector<TMyRecord> m_batch;

    std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Found>> m_waiting;
    std::vector<std::unique_ptr<Found>> m_spare;
    bool m_building = false;
    bool m_quit = false;
    std::exception_ptr m_error;

    std::thread m_thread; // last: it starts once everything above is made
};

FileWalker::FileWalker(FileRecords& records, const ScanSettings& settings, const std::atomic<bool>& stopRequested)
    : m_settings(settings), m_stop(stopRequested),
      m_filter(ScanFilterText(settings.filterText, settings.caseSensitive), settings.caseSensitive),
      m_decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless),
      m_builder(std::make_unique<Builder>(records, settings)), m_found(std::make_unique<Found>())
{}

FileWalker::~FileWalker() = default;

void FileWalker::run()
{
    m_handOverDueMs = monotonicMs() + kHandOverMilliseconds;
    try {
        FolderListing root(m_settings.folder);
        if (root.isOpen()) {
            m_openFolders.push_back(root.identity());
            walkFolder(root, AddTrailingBackslash(m_settings.folder));
        } else {
            ++m_leftOut.unreadableFolders;
        }
    } catch (...) {
        // The records found before the error stay in the list.
        flush();
        throw;
    }
    flush();
}

bool FileWalker::stopCheck()
{
    if (!m_stop.load(std::memory_order_relaxed)) {
        // Matches found among many that do not match must still show while the walk goes on.
        if (++m_entriesSinceClock >= kEntriesPerClockReading) {
            m_entriesSinceClock = 0;
            if (!m_found->files.empty() && monotonicMs() >= m_handOverDueMs)
                handOver();
        }
        return false;
    }
    flush();
    if (m_onInterrupted)
        m_onInterrupted();
    return true;
}

void FileWalker::walkFolder(FolderListing& listing, const QString& folder)
{
    using Kind = FolderListing::Kind;
    Kind kind;
    while (const char* name = listing.next(kind)) {
        if (stopCheck())
            return;
        if (isDotOrDotDot(name))
            continue;
        if (kind == Kind::Folder) {
            if (m_settings.includeSubfolders)
                enterSubfolder(listing, name, folder, false);
            continue;
        }
        FolderListing::Status status;
        if (kind == Kind::File) {
            // Only the files that pass the filter are looked up.
            if (passes(name))
                addFile(name, folder, listing.lookUp(name, status) ? &status : nullptr);
            continue;
        }
        // A link or an entry of unknown type: a link is taken for what it points to, and a dangling one is listed as
        // a file without size and date.
        const bool found = listing.lookUp(name, status);
        if (found && status.isFolder) {
            if (m_settings.includeSubfolders)
                enterSubfolder(listing, name, folder, kind == Kind::Link || listing.isLink(name));
        } else if (passes(name)) {
            addFile(name, folder, found ? &status : nullptr);
        }
    }
}

void FileWalker::enterSubfolder(FolderListing& parent, const char* name, const QString& folder, bool throughLink)
{
    FolderListing listing(parent, name);
    if (!listing.isOpen()) {
        ++m_leftOut.unreadableFolders;
        return;
    }
    const FolderListing::Identity& id = listing.identity();
    for (const FolderListing::Identity& open : m_openFolders) {
        if (open == id)
            return;
    }
    // A folder reached through a link is walked once per scan, however many links lead to it: links that point at
    // each other in a mesh (as package managers make them) would otherwise open every path through the mesh.
    if (throughLink && !m_linkedFolders.insert({id.device, id.inode}).second)
        return;
    m_openFolders.push_back(id);
    struct Pop
    {
        std::vector<FolderListing::Identity>& v;
        ~Pop() { v.pop_back(); }
    } pop{m_openFolders};
    walkFolder(listing, folder + DecodeFileName(name) + kPathSeparator);
}

bool FileWalker::passes(const char* rawName)
{
    // Decoded into a buffer kept from name to name: only the files that pass get a text of their own, on the builder.
    const QByteArrayView bytes(rawName);
    m_decoded.resize(m_decoder.requiredSpace(bytes.size()));
    m_decoder.resetState();
    const QChar* end = m_decoder.appendToBuffer(m_decoded.data(), bytes);
    m_nameIsForeign = m_decoder.hasError();
    // A name that is not UTF-8 is tested as it is shown.
    if (m_nameIsForeign)
        return NameMatchesFilter(ShownFileName(DecodeFileName(bytes)), m_filter);
    return NameMatchesFilter(QStringView(m_decoded.constData(), end), m_filter);
}

void FileWalker::addFile(const char* rawName, const QString& folder, const FolderListing::Status* status)
{
    Found& found = *m_found;
    if (found.folders.empty() || found.folders.back().constData() != folder.constData())
        found.folders.push_back(folder);
    const std::size_t length = std::strlen(rawName);
    found.files.push_back({found.folders.size() - 1, found.names.size(), length, status != nullptr, m_nameIsForeign,
                           status ? status->size : -1, status ? status->modified : 0});
    found.names.insert(found.names.end(), rawName, rawName + length);
    if (found.files.size() >= kHandOverSize)
        handOver();
}

void FileWalker::handOver()
{
    m_found = m_builder->exchange(std::move(m_found));
    m_handOverDueMs = monotonicMs() + kHandOverMilliseconds;
}

void FileWalker::flush()
{
    if (!m_found->files.empty())
        handOver();
    m_builder->drain();
}
