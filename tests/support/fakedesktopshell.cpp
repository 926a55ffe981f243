#include "support/fakedesktopshell.h"

bool FakeDesktopShell::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return openSucceeds;
}

void FakeDesktopShell::showItems(const QStringList& paths)
{
    shownItems.append(paths);
}

bool FakeDesktopShell::startDetached(const QString& program, const QStringList& arguments)
{
    startedPrograms.append(program);
    Q_UNUSED(arguments);
    return true;
}
