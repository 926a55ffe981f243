#include "core/filelist/filewalker.h"

#include "core/base/filenames.h"
#include "core/base/paths.h"
#include "core/base/utf8.h"
#include "core/filelist/recordbuilder.h"

#include <QElapsedTimer>

#include <cstring>

namespace {

// Found files are handed to the builder when this many have gathered, or when this much time has passed since the
// last hand-over, so that the list grows visibly on a slow disk without taking the lock for every file.
constexpr std::size_t kHandOverSize = 512;
constexpr qint64 kHandOverMilliseconds = 50;
// Reading the clock costs more than handling an entry; it is read once per this many entries.
constexpr unsigned kEntriesPerClockReading = 64;

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

FileWalker::FileWalker(FileRecords& records, const ScanSettings& settings, const std::atomic<bool>& stopRequested)
    : m_settings(settings), m_stop(stopRequested),
      m_filter(ScanFilterText(settings.filterText, settings.caseSensitive), settings.caseSensitive),
      m_builder(std::make_unique<RecordBuilder>(records, settings.calculateSize, settings.locale)),
      m_found(std::make_unique<FoundFiles>())
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
    m_nameIsForeign = !DecodeUtf8(bytes, m_decoded, true);
    // A name that is not UTF-8 is tested as it is shown.
    if (m_nameIsForeign)
        return NameMatchesFilter(ShownFileName(DecodeFileName(bytes)), m_filter);
    return NameMatchesFilter(m_decoded, m_filter);
}

void FileWalker::addFile(const char* rawName, const QString& folder, const FolderListing::Status* status)
{
    FoundFiles& found = *m_found;
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
