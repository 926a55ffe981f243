#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <vector>

// Where the pictures of the list's rows come from. The window gives its own drawings and the desktop's icon theme;
// the list names no picture of its own.
class FilePictureProvider
{
public:
    virtual ~FilePictureProvider() = default;

    virtual QIcon folderPicture() const = 0;
    virtual QIcon blankPicture() const = 0;
    // The picture of a file type; a null icon when there is none, and the blank document stands for it.
    virtual QIcon typePicture(const QMimeType& type) const = 0;
};

// The small pictures of the list's rows: 0 an open folder, 1 a blank document, 2 and up one per file type met since
// the last reset. Files of one type share one picture, so the cache stays small however many rows are drawn.
class FileIcons final
{
public:
    static constexpr qint32 kFolderIndex = 0;
    static constexpr qint32 kBlankIndex = 1;

    // Without a provider every picture is a null icon. The provider must outlive this object.
    explicit FileIcons(const FilePictureProvider* provider = nullptr);

    // Takes the pictures from provider from now on; the cache starts afresh.
    void setProvider(const FilePictureProvider* provider);

    // Back to the two fixed pictures (the list's image list reset, run when a scan starts).
    void ImageListSifirla();

    // The index of the picture of a file, found from its name alone (no disk access); adds the type's picture the
    // first time the type is met.
    qint32 indexFor(const QString& fileName);

    // The picture at index; the blank document for an index that is not in the cache.
    QIcon icon(qint32 index) const;

    qsizetype count() const { return static_cast<qsizetype>(m_icons.size()); }

private:
    const FilePictureProvider* m_provider;
    QMimeDatabase m_mimeTypes;
    std::vector<QIcon> m_icons;
    QHash<QString, qint32> m_indexOfType;
};
