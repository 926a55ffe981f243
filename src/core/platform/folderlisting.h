#pragma once

#include <QString>
#include <QtGlobal>

// One open folder of the scan's walk: its entries in the order the file system lists them, and the lookups the walk
// makes of them. Names are the raw bytes the file system holds, valid until the next call of next().
class FolderListing final
{
public:
    // What the listing tells of an entry without looking it up.
    enum class Kind : unsigned char
    {
        File,    // a file of any kind that cannot be a folder
        Folder,  // a folder
        Link,    // a symbolic link
        Unknown, // the file system does not tell; a lookup does
    };

    // What a lookup finds, links followed.
    struct Status
    {
        bool isFolder = false;
        qint64 size = -1;
        qint64 modified = 0; // the last-write time in seconds since the epoch
    };

    // Identifies a folder however it was reached.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };

    // Opens the folder path, following a link; isOpen() tells whether it can be listed.
    explicit FolderListing(const QString& path);
    // Opens the entry name of parent as a folder, following a link.
    FolderListing(const FolderListing& parent, const char* name);
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    ~FolderListing();

    bool isOpen() const noexcept { return m_dir != nullptr; }
    const Identity& identity() const noexcept { return m_identity; }

    // The next entry ("." and ".." among them), or nullptr once the listing has ended or cannot be read further.
    const char* next(Kind& kind);

    // Looks the entry name up, following a link. False when it cannot be found (a dangling link, a file removed
    // since it was listed).
    bool lookUp(const char* name, Status& status) const;
    // Whether the entry name is a symbolic link itself.
    bool isLink(const char* name) const;

private:
    void open(int fd);

    void* m_dir = nullptr; // the system's listing stream
    int m_fd = -1;
    Identity m_identity;
};
