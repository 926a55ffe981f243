#include "core/filelist/filewalker.h"

#include "core/filelist/filerecords.h"

#include <QFile>
#include <QHashFunctions>

#include <cstdlib>
#include <optional>
#include <unordered_map>

#ifdef TAGSCOPE_POSIX_WALK
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDateTime>
#include <QFileInfo>

#include <filesystem>
#include <system_error>
#endif

namespace {

// A batch goes to the list when it is this large, or when this much time has passed since the last one, so that the
// list grows visibly on a slow disk without taking the lock for every file.
constexpr std::size_t kBatchSize = 512;
constexpr qint64 kBatchMilliseconds = 50;

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

} // namespace

// The extension texts of one scan, one shared string per extension as written.
class FileWalker::ExtensionTexts final
{
public:
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

FileWalker::FileWalker(FileRecords& records, const ScanSettings& settings, const std::atomic<bool>& stopRequested)
    : m_records(records), m_settings(settings), m_stop(stopRequested),
      m_filter(ScanFilterText(settings.filterText, settings.caseSensitive), settings.caseSensitive),
      m_dates(settings.locale), m_extensions(std::make_unique<ExtensionTexts>())
{
    m_batch.reserve(kBatchSize);
}

FileWalker::~FileWalker() = default;

namespace {

#if defined(TAGSCOPE_POSIX_WALK) && defined(__GLIBC__)
// glibc grows the heap of a thread other than the main one a page at a time, with one mprotect call per page, and a
// scan allocates a name per file on it: thousands of calls for a large folder. Growing the heap once in large steps
// and giving the memory back (the heap stays mapped) makes the later growth free of those calls.
void growThreadHeap()
{
    constexpr std::size_t kStep = 120 * 1024; // under the size that glibc serves by mmap instead of from the heap
    constexpr std::size_t kSteps = 136;       // about 16 MiB, the names of some 250,000 files
    std::vector<void*> blocks(kSteps);
    for (void*& block : blocks)
        block = std::malloc(kStep);
    for (void* block : blocks)
        std::free(block);
}
#else
void growThreadHeap() {}
#endif

} // namespace

void FileWalker::run()
{
    growThreadHeap();
    m_sinceFlush.start();
    try {
#ifdef TAGSCOPE_POSIX_WALK
        const int fd = ::open(QFile::encodeName(m_settings.folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            struct stat st;
            if (::fstat(fd, &st) == 0)
                m_openFolders.push_back({st.st_dev, st.st_ino});
            walkFolder(fd, FolderWithSeparator(m_settings.folder));
        }
#else
        walkFolder(m_settings.folder);
#endif
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
        if (!m_batch.empty() && m_sinceFlush.hasExpired(kBatchMilliseconds))
            flush();
        return false;
    }
    flush();
    if (m_onInterrupted)
        m_onInterrupted();
    return true;
}

void FileWalker::addRecord(QString name, const QString& folder, const qint64* mtime, qint64 size)
{
    TMyRecord record;
    record.FExtension = m_extensions->text(name);
    record.FName = std::move(name);
    record.FFolder = folder;
    if (mtime)
        record.FDateKey = m_dates.key(*mtime);
    record.FSize = m_settings.calculateSize ? size : -1;
    m_batch.push_back(std::move(record));
    if (m_batch.size() >= kBatchSize || m_sinceFlush.hasExpired(kBatchMilliseconds))
        flush();
}

void FileWalker::flush()
{
    m_records.append(m_batch);
    m_sinceFlush.restart();
}

#ifdef TAGSCOPE_POSIX_WALK

namespace {

// Entries are read from a listing this many at a time; the files among them are looked up together.
constexpr std::size_t kListingChunk = 256;
// From this many files on, the lookups are shared with the helper thread; below it, waking the helper costs more
// than it saves.
constexpr std::size_t kSharedStatMinimum = 16;

struct ListedEntry
{
    std::size_t nameOffset;
    unsigned char type;
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entry name as text; nothing when its bytes are not UTF-8. The bytes that cannot be decoded become U+FFFD, so the
// text no longer names the entry: it could be neither reported, opened nor renamed, and an action on it could reach
// another file whose name holds U+FFFD. Such entries are left out of the list.
std::optional<QString> decodedName(const char* raw)
{
    QString name = QFile::decodeName(raw);
    if (name.contains(QChar::ReplacementCharacter) && QFile::encodeName(name) != raw)
        return std::nullopt;
    return name;
}

// A listing type that cannot be a folder: no lookup is needed to tell.
bool isPlainFile(unsigned char type)
{
    return type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN;
}

} // namespace

// One file that passed the filter, with the result of its lookup (links followed).
struct FileWalker::FileStat
{
    std::size_t entry; // index in the listing chunk
    const char* rawName;
    QString name;
    bool found = false;
    qint64 mtime = 0;
    qint64 size = -1;

    void lookUp(int folderFd)
    {
        struct stat st;
        found = ::fstatat(folderFd, rawName, &st, 0) == 0;
        if (found) {
            mtime = static_cast<qint64>(st.st_mtim.tv_sec);
            size = static_cast<qint64>(st.st_size);
        }
    }
};

namespace {

// The lookups of one run of files, taken a few at a time by whichever thread is free. Taking several at once keeps
// the two threads off each other's cache lines.
struct StatJob
{
    static constexpr std::size_t kTake = 8;

    int folderFd;
    FileWalker::FileStat* files;
    std::size_t count;
    std::atomic<std::size_t> next{0};
    // An int, which waiting and notifying use directly as a futex word; a run holds at most one listing chunk.
    std::atomic<int> done{0};

    void work(int fd)
    {
        for (;;) {
            const std::size_t first = next.fetch_add(kTake, std::memory_order_relaxed);
            if (first >= count)
                return;
            const std::size_t last = std::min(first + kTake, count);
            for (std::size_t i = first; i < last; ++i)
                files[i].lookUp(fd);
            const int taken = static_cast<int>(last - first);
            if (done.fetch_add(taken, std::memory_order_acq_rel) + taken == static_cast<int>(count))
                done.notify_all();
        }
    }

    void waitUntilDone()
    {
        for (int d = done.load(std::memory_order_acquire); d != static_cast<int>(count);
             d = done.load(std::memory_order_acquire))
            done.wait(d, std::memory_order_acquire);
    }
};

} // namespace

// A second thread that looks up files while the walking thread does too. Looking up a file is most of a scan's time,
// and it is the kernel's work, so two threads finish it in about half the time. The files are shared one at a time
// rather than split in halves, so a helper that wakes late only takes fewer of them and the walk never waits for it
// to wake.
class FileWalker::StatHelper final
{
public:
    StatHelper() : m_thread([this] { serve(); }) {}

    ~StatHelper()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // Looks the files up with the helper's help; returns when all are done.
    void lookUp(int folderFd, std::vector<FileStat>& files)
    {
        auto job = std::make_shared<StatJob>(folderFd, files.data(), files.size());
        {
            std::lock_guard lock(m_mutex);
            m_pending = job;
        }
        m_changed.notify_one();
        job->work(folderFd);
        {
            // Not taken yet: the helper must not start it once this function has returned.
            std::lock_guard lock(m_mutex);
            if (m_pending == job)
                m_pending.reset();
        }
        job->waitUntilDone();
    }

private:
    void serve()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_quit || m_pending; });
            if (m_quit)
                return;
            // The job object is kept alive by this reference until the helper has let go of it.
            std::shared_ptr<StatJob> job = std::move(m_pending);
            lock.unlock();
            // A descriptor of its own: two threads sharing one open folder keep taking turns on its reference
            // count in the kernel.
            const int fd = ::openat(job->folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            job->work(fd >= 0 ? fd : job->folderFd);
            if (fd >= 0)
                ::close(fd);
            job.reset();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<StatJob> m_pending;
    bool m_quit = false;
    std::thread m_thread;
};

void FileWalker::statFiles(int folderFd, std::vector<FileStat>& files)
{
    static const bool oneCore = std::thread::hardware_concurrency() < 2;
    if (files.size() < kSharedStatMinimum || oneCore) {
        for (FileStat& f : files)
            f.lookUp(folderFd);
        return;
    }
    if (!m_statHelper)
        m_statHelper = std::make_unique<StatHelper>();
    m_statHelper->lookUp(folderFd, files);
}

void FileWalker::walkFolder(int folderFd, const QString& folder)
{
    DIR* listing = ::fdopendir(folderFd);
    if (!listing) {
        ::close(folderFd);
        return;
    }
    struct Closer
    {
        DIR* d;
        ~Closer() { ::closedir(d); }
    } closer{listing};

    std::vector<ListedEntry> entries;
    std::vector<char> names;
    std::vector<FileStat> files;
    entries.reserve(kListingChunk);
    bool listingEnded = false;
    while (!listingEnded) {
        // The next chunk of the listing. The end of the listing and an error while reading it both end this folder.
        entries.clear();
        names.clear();
        while (entries.size() < kListingChunk) {
            const dirent* entry = ::readdir(listing);
            if (!entry) {
                listingEnded = true;
                break;
            }
            const std::size_t length = std::strlen(entry->d_name);
            entries.push_back({names.size(), entry->d_type});
            names.insert(names.end(), entry->d_name, entry->d_name + length + 1);
        }

        std::size_t i = 0;
        while (i < entries.size()) {
            if (stopCheck())
                return;
            const char* name = names.data() + entries[i].nameOffset;
            if (isDotOrDotDot(name)) {
                ++i;
                continue;
            }
            if (isPlainFile(entries[i].type)) {
                // A run of plain files: filter them, look the passing ones up together, then list them in order.
                // An invalid mask stops the run at the file that reached it; the files before it are still listed.
                std::size_t runEnd = i;
                while (runEnd < entries.size() && isPlainFile(entries[runEnd].type))
                    ++runEnd;
                files.clear();
                std::exception_ptr filterError;
                for (std::size_t k = i; k < runEnd; ++k) {
                    const char* raw = names.data() + entries[k].nameOffset;
                    if (isDotOrDotDot(raw))
                        continue;
                    std::optional<QString> fileName = decodedName(raw);
                    if (!fileName)
                        continue;
                    try {
                        if (m_filter.matches(*fileName))
                            files.push_back({k, raw, std::move(*fileName)});
                    } catch (...) {
                        filterError = std::current_exception();
                        runEnd = k + 1;
                        break;
                    }
                }
                statFiles(folderFd, files);
                std::size_t next = 0;
                for (std::size_t k = i; k < runEnd; ++k) {
                    if (k != i && stopCheck())
                        return;
                    if (filterError && k + 1 == runEnd)
                        std::rethrow_exception(filterError);
                    if (next < files.size() && files[next].entry == k) {
                        FileStat& f = files[next++];
                        addRecord(std::move(f.name), folder, f.found ? &f.mtime : nullptr, f.size);
                    }
                }
                i = runEnd;
                continue;
            }

            // A folder, a link or an entry of unknown type: a link is taken for what it points to, and a dangling
            // one is listed as a file without size and date.
            struct stat st;
            bool haveStat = false;
            unsigned char type = entries[i].type;
            if (type != DT_DIR) {
                haveStat = ::fstatat(folderFd, name, &st, 0) == 0;
                if (haveStat && S_ISDIR(st.st_mode))
                    type = DT_DIR;
            }
            if (type == DT_DIR) {
                if (m_settings.includeSubfolders)
                    enterSubfolder(folderFd, name, folder, isLink(folderFd, name, entries[i].type));
            } else {
                std::optional<QString> fileName = decodedName(name);
                if (fileName && m_filter.matches(*fileName)) {
                    const qint64 mtime = haveStat ? static_cast<qint64>(st.st_mtim.tv_sec) : 0;
                    addRecord(std::move(*fileName), folder, haveStat ? &mtime : nullptr,
                              haveStat ? static_cast<qint64>(st.st_size) : -1);
                }
            }
            ++i;
        }
    }
}

// Whether the entry name of the folder folderFd is a symbolic link; type is what the listing said of it.
bool FileWalker::isLink(int folderFd, const char* name, unsigned char type)
{
    if (type != DT_UNKNOWN)
        return type == DT_LNK;
    struct stat st;
    return ::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

void FileWalker::enterSubfolder(int parentFd, const char* name, const QString& folder, bool throughLink)
{
    const std::optional<QString> folderName = decodedName(name);
    if (!folderName)
        return;
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    const FolderId id{st.st_dev, st.st_ino};
    for (const FolderId& open : m_openFolders) {
        if (open.device == id.device && open.inode == id.inode) {
            ::close(fd);
            return;
        }
    }
    // A folder reached through a link is walked once per scan, however many links lead to it: links that point at
    // each other in a mesh (as package managers make them) would otherwise open every path through the mesh.
    if (throughLink && !m_linkedFolders.insert({id.device, id.inode}).second) {
        ::close(fd);
        return;
    }
    m_openFolders.push_back(id);
    struct Pop
    {
        std::vector<FolderId>& v;
        ~Pop() { v.pop_back(); }
    } pop{m_openFolders};
    walkFolder(fd, folder + *folderName + kPathSeparator);
}

#else

// The portable walk for systems without the POSIX calls above.
void FileWalker::walkFolder(const QString& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = fs::path(folder.toStdU16String());
    const fs::path canonical = fs::canonical(path, error);
    if (error)
        return;
    const QString id = QString::fromStdU16String(canonical.u16string());
    if (std::find(m_openFolders.begin(), m_openFolders.end(), id) != m_openFolders.end())
        return;
    fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, error);
    if (error)
        return;
    m_openFolders.push_back(id);
    struct Pop
    {
        std::vector<QString>& v;
        ~Pop() { v.pop_back(); }
    } pop{m_openFolders};
    const QString prefix = FolderWithSeparator(folder);
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (stopCheck())
            return;
        if (error)
            return;
        const fs::directory_entry& entry = *it;
        QString name = QString::fromStdU16String(entry.path().filename().u16string());
        std::error_code statusError;
        if (entry.is_directory(statusError)) {
            if (m_settings.includeSubfolders)
                walkFolder(prefix + name);
            continue;
        }
        if (!m_filter.matches(name))
            continue;
        const QFileInfo info(prefix + name);
        const bool readable = info.exists();
        const qint64 mtime = readable ? info.lastModified().toSecsSinceEpoch() : 0;
        addRecord(std::move(name), prefix, readable ? &mtime : nullptr, readable ? info.size() : -1);
    }
}

#endif
