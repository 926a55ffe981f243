#include "core/app/appvalues.h"
#include "core/app/datafolder.h"
#include "core/app/dialogs.h"
#include "core/app/windowplacement.h"
#include "core/app/windowstate.h"
#include "core/base/errors.h"
#include "core/base/paths.h"
#include "support/unprivileged.h"

#include "buildconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

class TestAppValues : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitOntoScreens_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("expected");
        // Two screens side by side, the second taller; the first is the primary one.
        QTest::newRow("inside the first screen") << QRect(100, 100, 812, 500) << QRect(100, 100, 812, 500);
        QTest::newRow("inside the second screen") << QRect(1700, 600, 812, 500) << QRect(1700, 600, 812, 500);
        QTest::newRow("off every screen: centred on the primary one")
            << QRect(-5000, 100, 812, 500) << QRect(394, 250, 812, 500);
        QTest::newRow("partly off to the left: moved in") << QRect(-12, 100, 812, 500) << QRect(0, 100, 812, 500);
        QTest::newRow("over the bottom of its screen: moved up")
            << QRect(1700, 1000, 812, 500) << QRect(1700, 700, 812, 500);
        QTest::newRow("wider than its screen (scaled up): shrunk and moved in")
            << QRect(-12, 20, 1624, 900) << QRect(0, 20, 1600, 900);
        QTest::newRow("taller than every screen") << QRect(100, 0, 800, 3000) << QRect(100, 0, 800, 1000);
    }
    void fitOntoScreens()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, expected);
        const QRect primary(0, 0, 1600, 1000);
        QCOMPARE(FitOntoScreens(window, {primary, QRect(1600, 0, 1280, 1200)}, primary), expected);
    }

    // What the window's layout file gives back, written or not.
    void windowState()
    {
        QTemporaryDir stateHome;
        const QString path = WindowState::FilePath(stateHome.path(), u"BRINDLE"_s, u"Tagscope"_s);
        QCOMPARE(path, stateHome.path() + u"/BRINDLE/Tagscope/window.ini"_s);

        const WindowState missing = WindowState::Read(path);
        QCOMPARE(missing.geometry, std::nullopt);
        QVERIFY(!missing.maximized);
        QCOMPARE(missing.paneWidth, 0);
        QVERIFY(missing.columns.isEmpty());

        WindowState state;
        state.geometry = QRect(-20, 30, 1000, 600);
        state.maximized = true;
        state.paneWidth = 295;
        state.columns = QByteArray("\x00\xFFheader", 8);
        QVERIFY(state.write(path)); // makes the folders on the way
        const WindowState read = WindowState::Read(path);
        QCOMPARE(read.geometry, state.geometry);
        QCOMPARE(read.maximized, true);
        QCOMPARE(read.paneWidth, 295);
        QCOMPARE(read.columns, state.columns);

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Window]\nGeometry=@Rect(0 0 0 0)\nPaneWidth=-5\n");
        file.close();
        const WindowState odd = WindowState::Read(path);
        QCOMPARE(odd.geometry, std::nullopt);
        QCOMPARE(odd.paneWidth, 0);
    }

    void userStateHome_data()
    {
        QTest::addColumn<QByteArray>("variable"); // null: unset
        QTest::addColumn<bool>("taken");
        QTest::newRow("absolute") << QByteArray("/srv/state") << true;
        QTest::newRow("unset") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("relative") << QByteArray("state") << false;
    }
    void userStateHome()
    {
        QFETCH(QByteArray, variable);
        QFETCH(bool, taken);
        const QByteArray saved = qgetenv("XDG_STATE_HOME");
        const bool wasSet = qEnvironmentVariableIsSet("XDG_STATE_HOME");
        const auto restore = qScopeGuard([&] {
            if (wasSet)
                qputenv("XDG_STATE_HOME", saved);
            else
                qunsetenv("XDG_STATE_HOME");
        });
        if (variable.isNull())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", variable);
        QCOMPARE(UserStateHome(), taken ? QString::fromUtf8(variable) : QDir::homePath() + u"/.local/state"_s);
    }

    void dataFolderIsTheProgramFolderWhenWritable()
    {
        QTemporaryDir program;
        QTemporaryDir config;
        QCOMPARE(ChooseDataFolder(program.path(), config.path(), u"BRINDLE"_s, u"Tagscope"_s), program.path() + u'/');
        // The probe file does not stay behind.
        QVERIFY(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(QDir(config.path()).isEmpty());
    }

    void dataFolderFallsBackToTheConfigFolder_data()
    {
        QTest::addColumn<bool>("leftoverProbe");
        QTest::addColumn<QString>("configHome"); // below the test's folder; "" for the folder itself
        QTest::newRow("leftover chk.tmp") << true << QString();
        QTest::newRow("folder where no file can be created") << false << QString();
        QTest::newRow("configuration folder not made yet") << false << u"home/.config"_s;
    }
    void dataFolderFallsBackToTheConfigFolder()
    {
        QFETCH(bool, leftoverProbe);
        QFETCH(QString, configHome);
        QTemporaryDir program;
        QTemporaryDir configRoot;
        const QString configFolder = configHome.isEmpty() ? configRoot.path() : configRoot.filePath(configHome);
        QString programFolder = program.path();
        if (leftoverProbe) {
            QFile probe(program.filePath(u"chk.tmp"_s));
            QVERIFY(probe.open(QIODevice::WriteOnly));
        } else {
            // Not even root can create a file in /proc.
            programFolder = u"/proc"_s;
        }
        const QString expected = configFolder + u"/BRINDLE/Tagscope/"_s;
        QCOMPARE(ChooseDataFolder(programFolder, configFolder, u"BRINDLE"_s, u"Tagscope"_s), expected);
        QVERIFY(QFileInfo(expected).isDir());
        if (leftoverProbe)
            QVERIFY(QFile::exists(program.filePath(u"chk.tmp"_s)));
    }

    // A program folder that its user may not write, as an installed program has. Root may write any folder, so then
    // the test runs as an unprivileged user.
    void readOnlyProgramFolder()
    {
        QTemporaryDir program;
        QTemporaryDir configRoot;
        const auto all = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner | QFile::ExeGroup |
                         QFile::ExeOther;
        QVERIFY(QFile::setPermissions(program.path(), all));
        QVERIFY(
            QFile::setPermissions(configRoot.path(), all | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
        const auto restore = qScopeGuard(
            [&] { QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        UnprivilegedScope unprivileged;
        if (!unprivileged.ok())
            QSKIP("running as root, and the user \"nobody\" cannot be taken on");
        const QString expected = configRoot.path() + u"/BRINDLE/Tagscope/"_s;
        QCOMPARE(ChooseDataFolder(program.path(), configRoot.path(), u"BRINDLE"_s, u"Tagscope"_s), expected);
        QVERIFY(QFileInfo(expected).isDir());
        QVERIFY(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void workedOutAtStart_data()
    {
        QTest::addColumn<bool>("writableProgramFolder");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("writable folder, English")
            << true << QLocale(QLocale::English, QLocale::UnitedStates) << QChar(u',');
        QTest::newRow("read-only folder, German") << false << QLocale(QLocale::German, QLocale::Germany) << QChar(u';');
    }

    // What the window works out at its start, from this test program's own version data.
    void workedOutAtStart()
    {
        QFETCH(bool, writableProgramFolder);
        QFETCH(QLocale, locale);
        QFETCH(QChar, separator);
        QTemporaryDir program;
        QTemporaryDir config;
        AppStartup startup;
        startup.programPath = QCoreApplication::applicationFilePath();
        // Not even root can create a file in /proc.
        startup.programFolder = writableProgramFolder ? program.path() : u"/proc"_s;
        startup.configHome = config.path();
        startup.locale = locale;
        startup.serviceHost = u"service.example"_s;

        const AppValues values = WorkOutAppValues(startup);
        QCOMPARE(values.programPath, startup.programPath);
        QCOMPARE(values.programFolder, startup.programFolder);
        QCOMPARE(values.serviceHost, u"service.example"_s);
        QCOMPARE(values.companyName, QStringLiteral(TAGSCOPE_COMPANY_NAME));
        QCOMPARE(values.productName, QStringLiteral(TAGSCOPE_PRODUCT_NAME));
        QCOMPARE(values.applicationName, QStringLiteral(TAGSCOPE_COMPANY_NAME " - " TAGSCOPE_PRODUCT_NAME));
        // "%d.%d" of the file version: its first two numbers.
        QCOMPARE(values.versionText, QStringLiteral(TAGSCOPE_VERSION).section(u'.', 0, 1));
        QCOMPARE(values.listSeparator, separator);
        const QString dataFolder = writableProgramFolder
                                       ? program.path() + u'/'
                                       : config.path() + u"/" TAGSCOPE_COMPANY_NAME "/" TAGSCOPE_PRODUCT_NAME "/"_s;
        QCOMPARE(values.dataFolder, dataFolder);
        QCOMPARE(values.settingsPath, dataFolder + u"settings.ini"_s);
    }

    // A program without version data: the start values are all there is.
    void startWithoutVersionData()
    {
        QTemporaryDir program;
        const QString path = program.filePath(u"not-a-program"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0);
        file.close();
        AppStartup startup;
        startup.programPath = path;
        startup.programFolder = program.path();
        QVERIFY_THROWS_EXCEPTION(TagscopeError, WorkOutAppValues(startup));
        const AppValues values = StartValues(startup);
        QCOMPARE(values.programPath, path);
        QVERIFY(values.dataFolder.isEmpty() && values.settingsPath.isEmpty() && values.applicationName.isEmpty());
    }

    void listSeparatorFollowsTheDecimalSeparator_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << QChar(u',');
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << QChar(u';');
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France) << QChar(u';');
        QTest::newRow("C") << QLocale::c() << QChar(u',');
    }
    void listSeparatorFollowsTheDecimalSeparator()
    {
        QFETCH(QLocale, locale);
        QFETCH(QChar, separator);
        QCOMPARE(ListSeparatorOf(locale), separator);
    }

    void helpAddress_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("address");
        QTest::newRow("product") << u"www.brindle.example"_s << u"Tagscope"_s
                                 << u"http://www.brindle.example/help/tagscope/"_s;
        QTest::newRow("blanks and capitals")
            << u"h.example"_s << u"Tag Scope PRO"_s << u"http://h.example/help/tag-scope-pro/"_s;
        QTest::newRow("only A to Z are lowered")
            << u"h.example"_s << u"\u00C9X"_s << u"http://h.example/help/\u00C9x/"_s;
        QTest::newRow("no host, no address") << QString() << u"Tagscope"_s << QString();
    }
    void helpAddress()
    {
        QFETCH(QString, host);
        QFETCH(QString, product);
        QFETCH(QString, address);
        QCOMPARE(HelpAddress(host, product), address);
    }

    void droppedPaths()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        QFile file(dir.filePath(u"sub/a.jpg"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        const DropTarget folder = ResolveDroppedPath(dir.filePath(u"sub"_s));
        QCOMPARE(folder.kind, DropKind::Folder);
        QCOMPARE(folder.folder, dir.filePath(u"sub"_s));
        const DropTarget inFolder = ResolveDroppedPath(dir.filePath(u"sub/a.jpg"_s));
        QCOMPARE(inFolder.kind, DropKind::File);
        QCOMPARE(inFolder.folder, dir.filePath(u"sub"_s));
        QCOMPARE(ResolveDroppedPath(dir.filePath(u"gone"_s)).kind, DropKind::Invalid);
        QCOMPARE(ResolveDroppedPath(QString()).kind, DropKind::Invalid);
    }

    void trailingSeparator_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << u"/home/a"_s << u"/home/a"_s;
        QTest::newRow("one removed") << u"/home/a/"_s << u"/home/a"_s;
        QTest::newRow("only one removed") << u"/home/a//"_s << u"/home/a/"_s;
        QTest::newRow("root kept") << u"/"_s << u"/"_s;
    }
    void trailingSeparator()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, stored);
        QCOMPARE(WithoutTrailingSeparator(chosen), stored);
    }

    void errorReportText_data()
    {
        QTest::addColumn<QString>("outer");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter gets a dot") << u"Cannot open file"_s << QString() << u"Cannot open file."_s;
        QTest::newRow("exclamation kept") << u"Directory not found!"_s << QString() << u"Directory not found!"_s;
        QTest::newRow("dot kept") << u"Done."_s << QString() << u"Done."_s;
        QTest::newRow("closing parenthesis kept") << u"at (5)"_s << QString() << u"at (5)"_s;
        QTest::newRow("innermost wins") << u"Outer"_s << u"Inner cause"_s << u"Inner cause."_s;
        QTest::newRow("empty inner ignored") << u"Outer"_s << u""_s << u"Outer."_s;
    }
    void errorReportText()
    {
        QFETCH(QString, outer);
        QFETCH(QString, inner);
        QFETCH(QString, shown);
        std::exception_ptr error;
        try {
            if (inner.isNull())
                throw TagscopeError(outer);
            try {
                throw TagscopeError(inner);
            } catch (...) {
                std::throw_with_nested(TagscopeError(outer));
            }
        } catch (...) {
            error = std::current_exception();
        }
        QCOMPARE(ErrorReportText(error), shown);
    }

    void silentAbortShowsNothing()
    {
        QCOMPARE(ErrorReportText(std::make_exception_ptr(SilentAbort())), QString());
        QCOMPARE(ErrorReportText(std::make_exception_ptr(std::runtime_error("std error"))), u"std error."_s);
    }

    // The tests run in the C.UTF-8 locale, whose messages are the English ones.
    void systemErrorTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::newRow("no code") << 0 << u"Success"_s << u"A call to an OS function failed"_s;
        QTest::newRow("ENOENT") << ENOENT << u"No such file or directory"_s
                                << u"System Error.  Code: 2.\r\nNo such file or directory"_s;
        QTest::newRow("EBADMSG") << EBADMSG << u"Bad message"_s << u"System Error.  Code: 74.\r\nBad message"_s;
    }
    void systemErrorTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(QString, text);
        QCOMPARE(SystemErrorMessage(code), message);
        QCOMPARE(SystemErrorText(code), text);
        try {
            RaiseSystemError(code);
        } catch (const TagscopeError& e) {
            QCOMPARE(e.message(), text);
        }
    }

    void customMessageDialogLayout_data()
    {
        QTest::addColumn<QList<DialogButton>>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<int>("defaultButton");

        QTest::newRow("yes no renamed") << QList{DialogButton::No, DialogButton::Yes} << QStringList{u"Yes"_s, u"No"_s}
                                        << QStringList{u"Yes"_s, u"No"_s} << QList{6, 7} << 0;
        QTest::newRow("ok keeps its text")
            << QList{DialogButton::OK} << QStringList{} << QStringList{u"OK"_s} << QList{1} << 0;
        QTest::newRow("ok is default before yes") << QList{DialogButton::Yes, DialogButton::OK} << QStringList{u"A"_s}
                                                  << QStringList{u"A"_s, u"OK"_s} << QList{6, 1} << 1;
        QTest::newRow("retry default without ok or yes")
            << QList{DialogButton::Close, DialogButton::Retry, DialogButton::Abort} << QStringList{}
            << QStringList{u"&Abort"_s, u"&Retry"_s, u"&Close"_s} << QList{3, 4, 8} << 1;
        QTest::newRow("no default") << QList{DialogButton::Cancel, DialogButton::No} << QStringList{}
                                    << QStringList{u"&No"_s, u"Cancel"_s} << QList{7, 2} << -1;
        QTest::newRow("extra captions ignored")
            << QList{DialogButton::OK} << QStringList{u"Fine"_s, u"Spare"_s} << QStringList{u"Fine"_s} << QList{1} << 0;
    }
    void customMessageDialogLayout()
    {
        QFETCH(QList<DialogButton>, buttons);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, results);
        QFETCH(int, defaultButton);
        const MessageBoxContent box =
            BuildCustomMessageDialog(u"Text"_s, DialogType::Warning, buttons, u"Caption"_s, captions);
        QStringList shownTexts;
        QList<int> shownResults;
        for (const MessageBoxButton& b : box.buttons) {
            shownTexts.append(b.text);
            shownResults.append(b.result);
        }
        QCOMPARE(shownTexts, texts);
        QCOMPARE(shownResults, results);
        QCOMPARE(box.defaultButton, defaultButton);
        QCOMPARE(box.caption, u"Caption"_s);
    }
};

QTEST_GUILESS_MAIN(TestAppValues)
#include "tst_appvalues.moc"
