#include "fuzzsupport.h"

#include "core/platform/removetree.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

QString g_folder;

void removeFolder()
{
    try {
        RemoveFolderTree(g_folder);
    } catch (...) {
        // Only a folder in the temporary area stays behind.
    }
}

} // namespace

QString FuzzPrivateFolder()
{
    if (!g_folder.isEmpty())
        return g_folder;
    const QString base = ::access("/dev/shm", W_OK | X_OK) == 0 ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/tagscope-fuzz-XXXXXX"));
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_folder = QFile::decodeName(pattern);
    std::atexit(removeFolder);
    return g_folder;
}
