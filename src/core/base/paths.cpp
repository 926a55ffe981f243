#include "core/base/paths.h"

QString AddTrailingBackslash(const QString& folder)
{
    if (folder.endsWith(kPathSeparator))
        return folder;
    return folder + kPathSeparator;
}

QString WithoutTrailingSeparator(const QString& folder)
{
    if (folder.size() > 1 && folder.endsWith(kPathSeparator))
        return folder.chopped(1);
    return folder;
}
