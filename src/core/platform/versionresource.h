#pragma once

#include <QByteArray>
#include <QString>

// The ELF section of the executable that holds the version data block.
inline constexpr char VersionSectionName[] = ".tagscope_version";

// The system's error codes for a file without version data and for a malformed block.
extern const int kNoVersionDataError;
extern const int kMalformedVersionDataError;

// The bytes of the version data block of fileName: the ELF section VersionSectionName, found through the section
// headers. Throws TagscopeError with SystemErrorText() when the file cannot be read (the system's error code), has
// no such section (kNoVersionDataError) or a section that cannot be read whole (kMalformedVersionDataError).
QByteArray ReadVersionBlock(const QString& fileName);
