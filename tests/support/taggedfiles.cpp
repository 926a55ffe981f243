#include "support/taggedfiles.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

QString makePicture(const QString& path, const char* format, const QStringList& tags)
{
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(QColor(40, 120, 200));
    if (!picture.save(path, format))
        return u"cannot write the %1 picture %2"_s.arg(QString::fromLatin1(format), path);
    return tags.isEmpty() ? QString() : WriteTags(path, tags);
}

} // namespace

QStringList CameraTags(const QString& model)
{
    return {u"-Make=Canon"_s, u"-Model="_s + model};
}

QString MakeTaggedJpeg(const QString& path, const QStringList& tags)
{
    return makePicture(path, "JPG", tags);
}

QString MakeTaggedPng(const QString& path, const QStringList& tags)
{
    return makePicture(path, "PNG", tags);
}

QString WriteTags(const QString& path, const QStringList& tags)
{
    QProcess exifTool;
    exifTool.setProcessChannelMode(QProcess::MergedChannels);
    exifTool.start(u"exiftool"_s, QStringList{u"-q"_s, u"-overwrite_original"_s} + tags + QStringList{path});
    if (!exifTool.waitForStarted(30000))
        return u"cannot start ExifTool to tag %1: %2"_s.arg(path, exifTool.errorString());
    if (!exifTool.waitForFinished(60000) || exifTool.exitStatus() != QProcess::NormalExit || exifTool.exitCode() != 0)
        return u"ExifTool could not tag %1: %2"_s.arg(path, QString::fromUtf8(exifTool.readAll()));
    if (!QFileInfo(path).isFile())
        return u"ExifTool left no file at %1"_s.arg(path);
    return {};
}
