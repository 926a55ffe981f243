#pragma once

#include "core/app/desktopshell.h"

// The desktop services of the running session: xdg-open, the file manager over D-Bus, the clipboard.
class QtDesktopShell final : public DesktopShell
{
public:
    bool openUrl(const QUrl& url) override;
    void showItems(const QStringList& paths) override;
    void beep() override;
    void setClipboard(QMimeData* data) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
};
