#include "core/platform/clipboarddata.h"
#include "ui/app/qtdesktopshell.h"

#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// What another program (xclip) reads from the clipboard as target, while this program serves it.
QByteArray clipboardAs(const QString& target)
{
    QProcess xclip;
    xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, target});
    if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 20000))
        return "<xclip did not end>";
    return xclip.readAllStandardOutput();
}

} // namespace

// Runs on a real X display (Xvfb): the data on the clipboard as other programs read it.
class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void files()
    {
        QtDesktopShell shell;
        shell.setClipboard(FilesClipboardData({u"/tmp/a b#1.txt"_s, u"/tmp/ü.jpg"_s}));
        QCOMPARE(clipboardAs(u"text/uri-list"_s),
                 QByteArray("file:///tmp/a%20b%231.txt\r\nfile:///tmp/%C3%BC.jpg\r\n"));
        // For file managers that paste files: no final line break.
        QCOMPARE(clipboardAs(u"x-special/gnome-copied-files"_s),
                 QByteArray("copy\nfile:///tmp/a%20b%231.txt\nfile:///tmp/%C3%BC.jpg"));
    }

    void lines()
    {
        QtDesktopShell shell;
        shell.setClipboard(LinesClipboardData({u"/tmp/a b.txt"_s, u"/tmp/ü.jpg"_s}));
        QCOMPARE(clipboardAs(u"UTF8_STRING"_s), QByteArray("/tmp/a b.txt\r\n/tmp/\xC3\xBC.jpg\r\n"));
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
