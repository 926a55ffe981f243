#pragma once

#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <stop_token>

// The family-0 group of a file's own format, given ExifTool's FileType and the groups it listed: its tags partly
// describe the file itself (its size, its pages, its length) and partly are metadata. "PDF" for a PDF, "QuickTime"
// for a movie, "EXIF" for a TIFF; empty when the format has no such group.
QString ContainerGroup(const QString& fileType, const QSet<QString>& groups);

// The metadata tags among the tags ExifTool lists for a file with "-j -G0" ("Group:Tag" keys), sorted by name:
// every tag but those of the file system, the file type, ExifTool itself and the composite tags, and of the container
// group only those that ExifTool can write (writableContainerTags) and that are no part of a TIFF's image structure;
// the others describe the file itself.
QStringList MetadataTags(const QJsonObject& tags, const QStringList& writableContainerTags);

// Lets ExifTool read file and returns its metadata tags as MetadataTags does. Empty when ExifTool finds none, and
// also when it cannot be run; a failure to read is reported as the single entry "ExifTool: <its message>".
QStringList RemainingMetadata(const QString& exifToolProgram, const QString& file, const QString& workingFolder,
                              std::stop_token stop = {});

// The warning for a copy that still holds metadata: what remains, at most 20 tags, one per line.
QString RemainingMetadataText(const QStringList& remainingTags);
