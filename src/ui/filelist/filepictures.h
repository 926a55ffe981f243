#pragma once

#include "core/filelist/fileicons.h"

// The pictures of the list's rows: the program's own open folder and blank document, and for each file type the
// picture of the desktop's icon theme.
class FilePictures final : public FilePictureProvider
{
public:
    QIcon folderPicture() const override;
    QIcon blankPicture() const override;
    QIcon typePicture(const QMimeType& type) const override;
};
