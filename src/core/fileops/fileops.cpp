#include "core/fileops/fileops.h"

#include "core/base/errors.h"
#include "core/base/filenames.h"
#include "core/base/paths.h"
#include "core/filelist/filerecords.h"
#include "core/platform/movefile.h"
#include "core/platform/trash.h"

#include <QFileInfo>

#include <cerrno>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

QString FoldAsciiLetters(QStringView text)
{
    QString folded = text.toString();
    for (QChar& c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

std::vector<RowRange> FindMatchingRows(const FileRecords& records, int rowCount, const QString& text)
{
    std::vector<RowRange> found;
    if (text.isEmpty())
        return found;
    const QString needle = FoldAsciiLetters(text);
    const FileRecords::Reader list = records.read();
    const int rows = std::min(rowCount, int(list.size()));
    // Files of one folder share its text, so each folder is folded once; a name is searched together with as much of
    // the folder's end as a match reaching into the folder needs.
    const QChar* lastFolder = nullptr;
    bool folderMatches = false;
    QString folderTail;
    QString probe;
    for (int i = 0; i < rows; ++i) {
        const TMyRecord& record = list[std::size_t(i)];
        if (record.FFolder.constData() != lastFolder) {
            lastFolder = record.FFolder.constData();
            const QString folder = FoldAsciiLetters(record.FFolder);
            folderMatches = folder.contains(needle);
            folderTail = folder.right(needle.size() - 1);
        }
        bool match = folderMatches;
        if (!match) {
            probe = folderTail;
            probe += record.FName;
            for (qsizetype k = folderTail.size(); k < probe.size(); ++k) {
                const QChar c = probe.at(k);
                if (c >= u'A' && c <= u'Z')
                    probe[k] = QChar(c.unicode() + (u'a' - u'A'));
            }
            match = probe.contains(needle);
        }
        if (!match)
            continue;
        if (!found.empty() && found.back().last + 1 == i)
            found.back().last = i;
        else
            found.push_back({i, i});
    }
    return found;
}

qsizetype StemLength(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name.size() : dot;
}

QString RenameProblem(const QString& name)
{
    if (name.isEmpty())
        return u"The new name is empty."_s;
    if (name == u"."_s || name == u".."_s)
        return u"\"%1\" cannot be the name of a file."_s.arg(name);
    if (name.contains(kPathSeparator))
        return u"A file name cannot contain \"%1\"."_s.arg(QChar(kPathSeparator));
    if (name.contains(QChar(0)))
        return u"A file name cannot contain a NUL character."_s;
    return {};
}

QString RenameFileTo(const QString& oldPath, const QString& newName)
{
    if (QString problem = RenameProblem(newName); !problem.isEmpty())
        return problem;
    const QString folder = oldPath.first(oldPath.lastIndexOf(kPathSeparator) + 1);
    return MoveFileTo(oldPath, folder + newName, false);
}

bool SendToRecycleBin(const QString& path, QString* reason)
{
    const QString problem = MoveToTrash(path);
    if (reason)
        *reason = problem;
    return problem.isEmpty();
}

bool DeleteFileAt(const QString& path, QString* reason)
{
    if (::unlink(EncodeFileName(path).constData()) == 0)
        return true;
    if (reason)
        *reason = SystemErrorMessage(errno);
    return false;
}

QString RemovalOutcomeText(bool trash, int done, int failed)
{
    QString text =
        (done == 1 ? u"1 item"_s : u"%1 items"_s.arg(done)) + (trash ? u" moved to the Trash"_s : u" deleted"_s);
    if (failed > 0)
        text += u", %1 could not be %2"_s.arg(failed).arg(trash ? u"moved"_s : u"deleted"_s);
    return text;
}

QString ErrorRaisedText(const std::exception& error)
{
    const char* mangled = typeid(error).name();
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                           std::free);
    const QString className = QString::fromUtf8(status == 0 && demangled ? demangled.get() : mangled);
    return className + u" error raised, with message : "_s + QString::fromUtf8(error.what());
}
