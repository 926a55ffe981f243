#include "core/platform/clipboarddata.h"

#include "core/base/filenames.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

QMimeData* FilesClipboardData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray copied = "copy";
    for (const QString& path : paths) {
        const QUrl url = LocalFileUrl(path);
        urls.append(url);
        copied += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setData(u"x-special/gnome-copied-files"_s, copied);
    return data;
}

QMimeData* LinesClipboardData(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n"_s;
    }
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}
