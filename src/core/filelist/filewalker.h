#pragma once

#include "core/filelist/filetexts.h"
#include "core/filelist/namemask.h"
#include "core/filelist/filerecord.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class FileRecords;

// The walk uses the POSIX calls on Linux and std::filesystem elsewhere; defining TAGSCOPE_PORTABLE_WALK builds the
// portable walk here too, so that it can be compiled and tested.
#if defined(Q_OS_LINUX) && !defined(TAGSCOPE_PORTABLE_WALK)
#define TAGSCOPE_POSIX_WALK 1
#endif

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
// Folders that cannot be listed are skipped silently. Records are appended to the file list in batches.
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

    struct FileStat; // public so that the lookup helpers outside the class can name it

private:
    class ExtensionTexts;
    class StatHelper;

    bool stopCheck();
    void addRecord(QString name, const QString& folder, const qint64* mtime, qint64 size);
    void flush();
#ifdef TAGSCOPE_POSIX_WALK
    struct FolderId
    {
        unsigned long long device;
        unsigned long long inode;
    };
    void walkFolder(int folderFd, const QString& folder);
    static bool isLink(int folderFd, const char* name, unsigned char type);
    void enterSubfolder(int parentFd, const char* name, const QString& folder, bool throughLink);
    void statFiles(int folderFd, std::vector<FileStat>& files);
    std::vector<FolderId> m_openFolders;
    std::set<std::pair<unsigned long long, unsigned long long>> m_linkedFolders; // (device, inode) entered via links
    std::unique_ptr<StatHelper> m_statHelper;
#else
    void walkFolder(const QString& folder);
    std::vector<QString> m_openFolders;
#endif

    FileRecords& m_records;
    const ScanSettings& m_settings;
    const std::atomic<bool>& m_stop;
    NameFilter m_filter;
    FileDateTexts m_dates;
    std::unique_ptr<ExtensionTexts> m_extensions;
    std::vector<TMyRecord> m_batch;
    QElapsedTimer m_sinceFlush;
    std::function<void()> m_onInterrupted;
};
