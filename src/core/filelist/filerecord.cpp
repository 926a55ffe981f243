#include "core/filelist/filerecord.h"

bool TMyRecord::fullNameEquals(QStringView path) const
{
    return path.size() == FFolder.size() + FName.size() && path.startsWith(FFolder) && path.endsWith(FName);
}

QString TMyRecord::FDate(FileDateTexts& dates) const
{
    return FDateKey == kUnknownDateKey ? QString() : dates.text(FDateKey);
}
