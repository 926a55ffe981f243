#include "core/filelist/fileicons.h"

FileIcons::FileIcons(const FilePictureProvider* provider) : m_provider(provider)
{
    ImageListSifirla();
}

void FileIcons::setProvider(const FilePictureProvider* provider)
{
    m_provider = provider;
    ImageListSifirla();
}

void FileIcons::ImageListSifirla()
{
    m_icons.clear();
    m_indexOfType.clear();
    m_icons.push_back(m_provider ? m_provider->folderPicture() : QIcon());
    m_icons.push_back(m_provider ? m_provider->blankPicture() : QIcon());
}

qint32 FileIcons::indexFor(const QString& fileName)
{
    const QMimeType type = m_mimeTypes.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const QString name = type.name();
    const auto found = m_indexOfType.constFind(name);
    if (found != m_indexOfType.constEnd())
        return *found;
    QIcon picture = m_provider ? m_provider->typePicture(type) : QIcon();
    if (picture.isNull())
        picture = m_icons[kBlankIndex];
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
