#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <vector>

// The small pictures of the list's rows: 0 an open folder, 1 a blank document, 2 and up one per file type met since
// the last reset. Files of one type share one picture, so the cache stays small however many rows are drawn.
class FileIcons final
{
public:
    static constexpr qint32 kFolderIndex = 0;
    static constexpr qint32 kBlankIndex = 1;

    static inline const QString kDefaultFolderIcon = QStringLiteral(":/icons/folder-open16.svg");
    static inline const QString kDefaultBlankIcon = QStringLiteral(":/icons/document-blank16.svg");

    // A picture file that does not exist gives an empty icon.
    explicit FileIcons(QString folderIconPath = kDefaultFolderIcon, QString blankIconPath = kDefaultBlankIcon);

    // Back to the two fixed pictures (the list's image list reset, run when a scan starts).
    void ImageListSifirla();

    // The index of the picture of a file, found from its name alone (no disk access); adds the type's picture the
    // first time the type is met.
    qint32 indexFor(const QString& fileName);

    // The picture at index; the blank document for an index that is not in the cache.
    QIcon icon(qint32 index) const;

    qsizetype count() const { return static_cast<qsizetype>(m_icons.size()); }

private:
    QString m_folderIconPath;
    QString m_blankIconPath;
    QMimeDatabase m_mimeTypes;
    std::vector<QIcon> m_icons;
    QHash<QString, qint32> m_indexOfType;
};
