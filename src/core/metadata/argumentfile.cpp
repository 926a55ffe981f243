#include "core/metadata/argumentfile.h"

#include "core/base/filenames.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Perl's \s on the bytes ExifTool reads.
bool isPerlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// True when ExifTool's filter for plain lines would not give the argument back unchanged.
bool needsEscapedLine(const QString& argument)
{
    if (argument.isEmpty() || isPerlSpace(argument.front()) || argument.front() == u'#')
        return true;
    // ExifTool splits lines at LF only and strips CR and LF from the end of a line.
    if (argument.contains(u'\n') || argument.endsWith(u'\r'))
        return true;
    // "-TAG = value" loses the blanks around "=".
    static const QRegularExpression assignment(QStringLiteral("^(-[-:A-Za-z0-9_]+#?)[ \\t\\n\\r\\f\\v]*([-+<]?=) ?"));
    const QRegularExpressionMatch match = assignment.match(argument);
    return match.hasMatch() && match.capturedLength(0) != match.capturedLength(1) + match.capturedLength(2);
}

std::optional<QString> escapedLine(const QString& argument)
{
    QString line = QStringLiteral("#[CSTR]");
    line.reserve(line.size() + argument.size() + 8);
    for (const QChar c : argument) {
        switch (c.unicode()) {
        case u'\\':
            line += QStringLiteral("\\\\");
            break;
        case u'"':
            line += QStringLiteral("\\\"");
            break;
        case u'\n':
            line += QStringLiteral("\\n");
            break;
        case u'\r':
            line += QStringLiteral("\\r");
            break;
        case u'$':
        case u'@':
            return std::nullopt;
        default:
            line += c;
        }
    }
    return line;
}

std::optional<QByteArray> joinLines(const QStringList& arguments, QByteArrayView lineEnd)
{
    QByteArray joined;
    for (const QString& argument : arguments) {
        const std::optional<QString> line = ArgumentLine(argument);
        if (!line)
            return std::nullopt;
        // A file name's bytes as they are, also those that are not UTF-8.
        joined += EncodeFileName(*line);
        joined += lineEnd;
    }
    return joined;
}

} // namespace

QStringList ReportArguments(const QString& reportFile, const QString& path)
{
    // "%0f" makes ExifTool split the source path into folder and name, and the split fails on a folder whose name
    // holds a line feed: no report is written. "%c" (a copy number, empty while the report file does not exist)
    // expands to nothing as well without looking at the source.
    const qsizetype lastSeparator = path.lastIndexOf(u'/');
    const bool folderHoldsLineFeed = lastSeparator > 0 && path.first(lastSeparator).contains(u'\n');
    return {QStringLiteral("-charset"), QStringLiteral("UTF8"), QStringLiteral("-w!"),
            EscapeExifToolPattern(reportFile) + (folderHoldsLineFeed ? QStringLiteral("%c") : QStringLiteral("%0f")),
            path};
}

QString EscapeExifToolPattern(const QString& path)
{
    QString escaped = path;
    escaped.replace(u'%', QStringLiteral("%%c"));
    escaped.replace(u'%', QStringLiteral("%%0f"));
    return escaped;
}

std::optional<QString> ArgumentLine(const QString& argument)
{
    if (!needsEscapedLine(argument))
        return argument;
    return escapedLine(argument);
}

std::optional<QByteArray> ArgumentFileContents(const QStringList& arguments)
{
    std::optional<QByteArray> lines = joinLines(arguments, "\r\n");
    if (!lines)
        return std::nullopt;
    return QByteArray("\xEF\xBB\xBF") + *lines;
}

std::optional<QByteArray> StayOpenCommand(const QStringList& arguments, int executeNumber)
{
    std::optional<QByteArray> lines = joinLines(arguments, "\n");
    if (!lines)
        return std::nullopt;
    return *lines + "-execute" + QByteArray::number(executeNumber) + '\n';
}

bool WriteNewFile(const QString& fileName, const QByteArray& contents)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.close();
        file.remove();
        return false;
    }
    return true;
}
