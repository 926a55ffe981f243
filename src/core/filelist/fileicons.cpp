#include "core/filelist/fileicons.h"

#include <QFile>

namespace {

QIcon iconFromFile(const QString& path)
{
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

} // namespace

FileIcons::FileIcons(QString folderIconPath, QString blankIconPath)
    : m_folderIconPath(std::move(folderIconPath)), m_blankIconPath(std::move(blankIconPath))
{
    ImageListSifirla();
}

void FileIcons::ImageListSifirla()
{
    m_icons.clear();
    m_indexOfType.clear();
    m_icons.push_back(iconFromFile(m_folderIconPath));
    m_icons.push_back(iconFromFile(m_blankIconPath));
}

qint32 FileIcons::indexFor(const QString& fileName)
{
    const QMimeType type = m_mimeTypes.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const QString name = type.name();
    const auto found = m_indexOfType.constFind(name);
    if (found != m_indexOfType.constEnd())
        return *found;
    const QIcon blank = m_icons[kBlankIndex];
    QIcon picture = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), blank));
    const qint32 index = static_cast<qint32>(m_icons.size());
    m_icons.push_back(std::move(picture));
    m_indexOfType.insert(name, index);
    return index;
}

QIcon FileIcons::icon(qint32 index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_icons.size())
        return m_icons[kBlankIndex];
    return m_icons[static_cast<std::size_t>(index)];
}
