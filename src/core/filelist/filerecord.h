#pragma once

#include "core/filelist/filetexts.h"

#include <QString>

// One listed file. The texts are shared wherever possible, so that a million records stay small: FFolder is one
// string for all the files of a folder and FExtension one per extension. The "Date Modified" text is not kept at all:
// it follows from FDateKey and the locale taken at start-up, and is made when it is shown (FDate), since files with
// as many different minutes as there are files would otherwise cost a text each.
struct TMyRecord
{
    QString FName;      // the name as the folder listing returns it, no path
    QString FExtension; // the "Extension" text, made when the record was made
    QString FFolder;    // the folder with exactly one separator at its end
    qint64 FSize = -1;  // size in bytes, -1 when not calculated or unreadable
    // The last-write time in seconds since the epoch, cut to the precision the date text shows; kUnknownDateKey when
    // unreadable. Sorting by date compares this, never the text, which may show a two-digit year.
    qint64 FDateKey = kUnknownDateKey;
    qint32 FImageIndex = -1; // index into the list model's icon cache, -1 while not looked up

    // The full path: folder, separator, name.
    QString FFullName() const { return FFolder + FName; }
    // The "Date Modified" text, made by the date texts of the locale the list is shown with; empty when unreadable.
    QString FDate(FileDateTexts& dates) const;
    bool fullNameEquals(QStringView path) const;
};
