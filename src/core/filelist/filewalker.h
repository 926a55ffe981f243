#pragma once

#include "core/filelist/filetexts.h"
#include "core/filelist/namemask.h"
#include "core/platform/folderlisting.h"

#include <QLocale>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class FileRecords;
class RecordBuilder;
struct FoundFiles;

// What one scan lists, taken from the window's controls when the scan starts; the worker never reads the controls.
struct ScanSettings
{
    QString folder;             // the folder to walk
    QString filterText;         // the filter box text, as typed
    bool caseSensitive = false; // "Case-Sensitive"
    bool calculateSize = true;  // "Calculate Filesize"
    bool includeSubfolders = true;
    QLocale locale = QLocale::system(); // for the date texts and the elapsed time
};

// The walk of one scan: depth first, each folder in the order its listing returns the entries, a subfolder's files
// at the place the subfolder has in its parent's listing. Links are followed (a link to a folder is walked like the
// folder) but a folder already open on the current path is not entered again, which ends every cycle of links, and
// a folder reached through links is walked once per scan, which keeps a mesh of links from multiplying the walk.
// Folders that cannot be listed are skipped and counted. A name that is not UTF-8 is held as DecodeFileName makes it,
// so that it leads back to its file, and passes the filter as it is shown. Records are appended to the file list in
// batches.
class FileWalker final
{
public:
    FileWalker(FileRecords& records, const ScanSettings& settings, const std::atomic<bool>& stopRequested);
    ~FileWalker();
    FileWalker(const FileWalker&) = delete;
    FileWalker& operator=(const FileWalker&) = delete;

    // Called on the walking thread each time a folder level leaves its listing because a stop was requested (the
    // innermost first), after every record found so far has been appended.
    void setInterruptionHandler(std::function<void()> handler) { m_onInterrupted = std::move(handler); }

    // Walks the whole folder. An invalid mask in the filter ends the walk at every level with its TagscopeError,
    // after the records found before it have been appended.
    void run();

    // What the walk left out so far: the folders it could not open (the chosen one too).
    struct LeftOut
    {
        qint64 unreadableFolders = 0;
    };
    const LeftOut& leftOut() const { return m_leftOut; }

private:
    bool stopCheck();
    void walkFolder(FolderListing& listing, const QString& folder);
    void enterSubfolder(FolderListing& parent, const char* name, const QString& folder, bool throughLink);
    // Whether the name passes the filter; notes whether it is UTF-8 for addFile.
    bool passes(const char* rawName);
    // status: what the lookup found, nullptr when nothing was found (no size, no date).
    void addFile(const char* rawName, const QString& folder, const FolderListing::Status* status);
    void handOver();
    void flush();

    const ScanSettings& m_settings;
    const std::atomic<bool>& m_stop;
    NameFilter m_filter;
    QString m_decoded;                                  // the name the filter tests, in a buffer kept from name to name
    bool m_nameIsForeign = false;                       // the name passes tested last is not UTF-8
    std::vector<FolderListing::Identity> m_openFolders; // the folders on the current path
    std::set<std::pair<quint64, quint64>> m_linkedFolders; // (device, inode) entered through links
    std::unique_ptr<RecordBuilder> m_builder;
    std::unique_ptr<FoundFiles> m_found; // the files found since the last hand-over
    LeftOut m_leftOut;
    unsigned m_entriesSinceClock = 0;
    qint64 m_handOverDueMs = 0;
    std::function<void()> m_onInterrupted;
};
