// The ExifTool package's ZIP archive unpacked into its staging folder: the input is the archive. Each run unpacks it
// into a new folder that already holds what a hostile archive would aim at (a link to a folder outside, a link to a
// file outside, a file and a folder), and then checks that nothing was written outside the folder, that no link or
// special file was made, and that an archive refused as a whole left the folder as it was.

#include "fuzzsupport.h"

#include "core/base/errors.h"
#include "core/metadata/zipextract.h"
#include "core/platform/removetree.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString g_base;

QByteArray path(const QString& p)
{
    return QFile::encodeName(p);
}

[[noreturn]] void setupFailed(const char* what)
{
    std::perror(what);
    std::abort();
}

// The entries of a folder, sorted, each with a letter for its type (f file, d folder, l link, o anything else).
QStringList entries(const QString& folder)
{
    QStringList names;
    DIR* dir = ::opendir(path(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == u"."_s || name == u".."_s)
            continue;
        struct stat st;
        char type = 'o';
        if (::lstat(path(folder + u'/' + name).constData(), &st) == 0)
            type = S_ISREG(st.st_mode) ? 'f' : S_ISDIR(st.st_mode) ? 'd' : S_ISLNK(st.st_mode) ? 'l' : 'o';
        names.append(name + u' ' + QLatin1Char(type));
    }
    ::closedir(dir);
    names.sort();
    return names;
}

// Every entry below folder with its type, file contents and permission bits, depth first.
void describeTree(const QString& folder, const QString& relative, QStringList& out)
{
    for (const QString& entry : entries(folder)) {
        const QString name = entry.chopped(2);
        const QString full = folder + u'/' + name;
        QString line = relative + name + entry.right(2);
        struct stat st;
        if (::lstat(path(full).constData(), &st) == 0)
            line += u' ' + QString::number(st.st_mode & 07777, 8);
        if (entry.endsWith(u" l"_s)) {
            line += u" -> "_s + QFile::symLinkTarget(full);
        } else if (entry.endsWith(u" f"_s)) {
            QFile file(full);
            if (file.open(QIODevice::ReadOnly))
                line += u' ' + QString::fromLatin1(file.readAll().toHex());
        }
        out.append(line);
        if (entry.endsWith(u" d"_s))
            describeTree(full, relative + name + u'/', out);
    }
}

QStringList tree(const QString& folder)
{
    QStringList out;
    describeTree(folder, QString(), out);
    return out;
}

// A refusal made while reading the members, before anything is written (the later ones name what is in the way).
bool refusedAsAWhole(const QString& message)
{
    return message.contains(u"was refused"_s) && !message.contains(u"would be written through"_s) &&
           !message.contains(u"would replace a folder"_s);
}

void checkTarget(const QString& folder, const QString& relative)
{
    for (const QString& entry : entries(folder)) {
        const QString name = entry.chopped(2);
        const QString full = folder + u'/' + name;
        // A temporary file of the unpacking is never left behind.
        FUZZ_CHECK(!(name.startsWith(u".tagscope-"_s) && name.endsWith(u".part"_s)));
        if (entry.endsWith(u" l"_s)) {
            // The only links are the two that were there before, unchanged.
            FUZZ_CHECK(relative.isEmpty() && (name == u"link"_s || name == u"filelink"_s));
            FUZZ_CHECK(QFile::symLinkTarget(full) == g_base + (name == u"link"_s ? u"/outside"_s : u"/outside/f"_s));
            continue;
        }
        FUZZ_CHECK(entry.endsWith(u" f"_s) || entry.endsWith(u" d"_s));
        struct stat st;
        FUZZ_CHECK(::lstat(path(full).constData(), &st) == 0);
        // Permissions only, never setuid, setgid or sticky.
        FUZZ_CHECK((st.st_mode & 07000) == 0);
        if (S_ISDIR(st.st_mode)) {
            // A folder the archive made can be entered, so that its files can be read (and removed).
            FUZZ_CHECK((st.st_mode & 0700) == 0700);
            checkTarget(full, relative + name + u'/');
        }
    }
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        setupFailed("writing a file of the run");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_base = FuzzPrivateFolder() + u"/run"_s;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray archiveBytes = FuzzBytes(data, size);
    const QString archive = g_base + u"/archive.zip"_s;
    const QString target = g_base + u"/target"_s;
    const QString outside = g_base + u"/outside"_s;

    RemoveFolderTree(g_base);
    if (::mkdir(path(g_base).constData(), 0700) != 0 || ::mkdir(path(target).constData(), 0755) != 0 ||
        ::mkdir(path(outside).constData(), 0755) != 0 || ::mkdir(path(target + u"/sub"_s).constData(), 0755) != 0)
        setupFailed("making the folders of the run");
    writeFile(archive, archiveBytes);
    writeFile(target + u"/file"_s, "there before");
    if (::symlink(path(outside).constData(), path(target + u"/link"_s).constData()) != 0 ||
        ::symlink(path(outside + u"/f"_s).constData(), path(target + u"/filelink"_s).constData()) != 0)
        setupFailed("making the links of the run");
    const QStringList before = tree(target);

    QString error;
    try {
        ExtractZipArchive(archive, target);
    } catch (const TagscopeError& e) {
        error = e.message();
        FUZZ_CHECK(error.contains(QDir::toNativeSeparators(archive)));
    }

    // Nothing beside the folder and nothing in the folder outside changed.
    FUZZ_CHECK(entries(g_base) == (QStringList{u"archive.zip f"_s, u"outside d"_s, u"target d"_s}));
    FUZZ_CHECK(entries(outside).isEmpty());
    FUZZ_CHECK(entries(FuzzPrivateFolder()) == QStringList{u"run d"_s});
    checkTarget(target, QString());
    if (refusedAsAWhole(error))
        FUZZ_CHECK(tree(target) == before);

    RemoveFolderTree(g_base);
    return 0;
}
