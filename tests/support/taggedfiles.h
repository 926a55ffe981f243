#pragma once

#include <QString>
#include <QStringList>

// Files with metadata, made at test time: Qt draws a small picture and ExifTool writes tags into it. Each function
// returns an empty text when the file is made, otherwise what went wrong, naming the file, so that a test fails
// with a message instead of going on without its fixture:
//     QVERIFY_MADE(MakeTaggedJpeg(path));
#define QVERIFY_MADE(making)                                                                                           \
    do {                                                                                                               \
        const QString whyNot = (making);                                                                               \
        QVERIFY2(whyNot.isEmpty(), qPrintable(whyNot));                                                                \
    } while (false)

// The tags of a camera picture: EXIF Make and Model, so that ExifTool reports "Camera Model Name : <model>".
QStringList CameraTags(const QString& model = QStringLiteral("Canon EOS DIGITAL REBEL"));

// A 16 by 16 JPEG at path with the tags written into it ("-Model=EOS" and the like; none: a JPEG without metadata).
QString MakeTaggedJpeg(const QString& path, const QStringList& tags = CameraTags());
// The same for a PNG.
QString MakeTaggedPng(const QString& path, const QStringList& tags = {QStringLiteral("-PNG:Comment=made for a test")});
// A one-page PDF whose own Info dictionary holds title and author and whose XMP names creator, as a program that
// makes PDFs writes them (not as an update of ExifTool's, which ExifTool would simply take back).
QString MakePdfWithMetadata(const QString& path, const QString& title, const QString& author, const QString& creator);
// Lets ExifTool write tags into an existing file.
QString WriteTags(const QString& path, const QStringList& tags);
