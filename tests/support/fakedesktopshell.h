#pragma once

#include "core/app/desktopshell.h"

#include <QList>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <memory>

// Records every desktop service asked for instead of performing it.
class FakeDesktopShell final : public DesktopShell
{
public:
    bool openUrl(const QUrl& url) override;
    void showItems(const QStringList& paths) override;
    void beep() override { ++beeps; }
    void setClipboard(QMimeData* data) override { clipboard.reset(data); }
    bool startDetached(const QString& program, const QStringList& arguments) override;

    QList<QUrl> openedUrls;
    QList<QStringList> shownItems;
    int beeps = 0;
    std::unique_ptr<QMimeData> clipboard;
    QStringList startedPrograms;
    bool openSucceeds = true;
};
