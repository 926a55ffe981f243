#include "ui/filelist/filepictures.h"

#include "ui/app/pictures.h"

#include <QMimeType>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

QIcon FilePictures::folderPicture() const
{
    return Picture(u"folder-open16"_s);
}

QIcon FilePictures::blankPicture() const
{
    return Picture(u"document-blank16"_s);
}

namespace {

bool inheritsAny(const QMimeType& type, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(),
                       [&type](const char* name) { return type.inherits(QString::fromLatin1(name)); });
}

// The program's own picture for a kind of file, for a desktop without an icon theme; empty for other kinds.
QString ownPictureOf(const QMimeType& type)
{
    const QString name = type.name();
    if (name.startsWith(u"image/"_s))
        return u"image16"_s;
    if (name.startsWith(u"audio/"_s))
        return u"audio16"_s;
    if (name.startsWith(u"video/"_s))
        return u"video16"_s;
    if (inheritsAny(type, {"application/zip", "application/x-tar", "application/gzip", "application/x-bzip2",
                           "application/x-xz", "application/zstd", "application/x-7z-compressed", "application/vnd.rar",
                           "application/x-rar", "application/x-archive", "application/x-compressed-tar",
                           "application/java-archive"}))
        return u"archive16"_s;
    if (inheritsAny(type, {"application/pdf", "application/msword", "application/rtf", "application/vnd.ms-excel",
                           "application/vnd.ms-powerpoint", "application/epub+zip", "application/postscript"}) ||
        name.startsWith(u"application/vnd.openxmlformats-officedocument."_s) ||
        name.startsWith(u"application/vnd.oasis.opendocument."_s))
        return u"document16"_s;
    if (name.startsWith(u"text/"_s) || type.inherits(u"text/plain"_s))
        return u"text16"_s;
    return {};
}

} // namespace

QIcon FilePictures::typePicture(const QMimeType& type) const
{
    // The desktop's picture of the type, else of its kind ("image-x-generic"), else the program's own.
    QIcon picture = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (picture.isNull()) {
        if (const QString own = ownPictureOf(type); !own.isEmpty())
            picture = Picture(own);
    }
    return picture;
}
