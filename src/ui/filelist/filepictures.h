#pragma once

#include "core/filelist/fileicons.h"

// The pictures of the list's rows: the program's own open folder and blank document, and for each file type the
// picture of the desktop's icon theme, of its kind of file, or, without a theme, the program's own picture of images,
// audio, video, archives, documents and text.
class FilePictures final : public FilePictureProvider
{
public:
    QIcon folderPicture() const override;
    QIcon blankPicture() const override;
    QIcon typePicture(const QMimeType& type) const override;
};
