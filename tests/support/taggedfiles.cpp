#include "support/taggedfiles.h"

#include <QColor>
#include <QFile>
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

// A one-page PDF: a catalog with an XMP stream, a page tree, one empty page, an Info dictionary and the
// cross-reference table.
QByteArray pdfWithMetadata(const QByteArray& title, const QByteArray& author, const QByteArray& creator)
{
    const QByteArray xmp = R"(<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?><x:xmpmeta xmlns:x="adobe:ns:meta/">)"
                           R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description )"
                           R"(rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:creator><rdf:Seq><rdf:li>)" +
                           creator +
                           R"(</rdf:li></rdf:Seq></dc:creator></rdf:Description></rdf:RDF></x:xmpmeta>)"
                           R"(<?xpacket end="w"?>)";
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R /Metadata 5 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 72] >>",
        "<< /Title (" + title + ") /Author (" + author + ") >>",
        "<< /Type /Metadata /Subtype /XML /Length " + QByteArray::number(xmp.size()) + " >>\nstream\n" + xmp +
            "\nendstream",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace

QString MakePdfWithMetadata(const QString& path, const QString& title, const QString& author, const QString& creator)
{
    QFile file(path);
    const QByteArray pdf = pdfWithMetadata(title.toUtf8(), author.toUtf8(), creator.toUtf8());
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return u"cannot write the PDF %1"_s.arg(path);
    return {};
}

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
