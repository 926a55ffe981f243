#include "ui/filelist/filepictures.h"

#include "ui/app/pictures.h"

using namespace Qt::Literals::StringLiterals;

QIcon FilePictures::folderPicture() const
{
    return Picture(u"folder-open16"_s);
}

QIcon FilePictures::blankPicture() const
{
    return Picture(u"document-blank16"_s);
}

QIcon FilePictures::typePicture(const QMimeType& type) const
{
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
}
