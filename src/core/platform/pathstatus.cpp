#include "core/platform/pathstatus.h"

#include "core/base/filenames.h"

#include <sys/stat.h>

PathStatus StatusOfPath(const QString& path)
{
    PathStatus status;
    struct stat st;
    if (::stat(EncodeFileName(path).constData(), &st) != 0)
        return status;
    status.exists = true;
    status.isFile = S_ISREG(st.st_mode);
    status.isFolder = S_ISDIR(st.st_mode);
    if (status.isFile)
        status.size = qint64(st.st_size);
    return status;
}
