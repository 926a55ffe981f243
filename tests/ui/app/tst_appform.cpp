#include "support/ui/appformfixture.h"
#include "ui/app/balloonhint.h"
#include "ui/app/folderchoice.h"
#include "ui/filelist/filelistcommands.h"
#include "ui/app/qtdialogs.h"
#include "ui/metadata/metadatacommands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QHeaderView>
#include <QScopeGuard>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using Fixture = AppFormFixture;

QByteArray readFile(const QString& path)
{
    return ReadWholeFile(path);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(WriteWholeFile(path, bytes));
}

// Drops urls on the window as a file manager offering the actions would, and returns the action the window took.
Qt::DropAction dropUrls(QWidget& window, const QList<QUrl>& urls, Qt::DropActions offered = Qt::CopyAction)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent drop(QPointF(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    // The window handles the dropped items once the drop itself is over.
    QCoreApplication::processEvents();
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

} // namespace

class TestAppForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStart()
    {
        Fixture f;
        TAppForm& form = f.start();
        QCOMPARE(form.windowTitle(), u"BRINDLE - Tagscope"_s);
        QCOMPARE(readFile(f.settingsPath()), QByteArray("\xEF\xBB\xBF[Settings]\r\nFileMask=*\r\n\r\n"));
        QCOMPARE(f.child<QLineEdit>("EditFile")->text(), u"*"_s);
        QVERIFY(f.child<QCheckBox>("CheckBox3")->isChecked());
        QVERIFY(f.child<QCheckBox>("CheckBox1")->isChecked());
        QVERIFY(f.child<QCheckBox>("CheckBox4")->isChecked());
        QVERIFY(!f.child<QCheckBox>("CheckBoxFile")->isChecked());
        QCOMPARE(f.label(), f.program.path());
        QCOMPARE(f.commands<FileListCommands>().folder().SelectedFolder(), f.program.path());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void startWithoutVersionData()
    {
        Fixture f;
        const QString program = f.program.filePath(u"not-a-program"_s);
        writeFile(program, "#!/bin/sh\n");
        AppStartup startup;
        startup.programPath = program;
        startup.programFolder = f.program.path();
        startup.configHome = f.config.path();
        const QString before = QDir::currentPath();
        // An empty data folder must not turn into the root or the current folder as the place to stage ExifTool.
        const bool rootStagingBefore = QFileInfo::exists(u"/exiftool"_s);
        QTemporaryDir cwd;
        QDir::setCurrent(cwd.path());
        const auto restoreCurrent = qScopeGuard([&] { QDir::setCurrent(before); });
        TAppForm form(startup, f.dialogs, f.shell);
        QTRY_VERIFY_WITH_TIMEOUT(form.findChild<MetadataCommands*>()->isExifToolDeployed(), 30000);

        // The error ends the start-up: no caption, no settings, nothing staged anywhere.
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, u"System Error.  Code: 61.\r\nNo data available."_s);
        QCOMPARE(f.dialogs.messages[0].caption, u"Tagscope"_s);
        QCOMPARE(form.windowTitle(), QString());
        QCOMPARE(form.findChild<QLabel*>(u"LabelDirectory"_s)->text(), u"[None]"_s);
        QVERIFY(!QFile::exists(f.settingsPath()));
        QCOMPARE(FolderEntries(cwd.path()), QStringList());
        QCOMPARE(FolderEntries(f.config.path()), QStringList());
        QCOMPARE(QFileInfo::exists(u"/exiftool"_s), rootStagingBefore);
    }

    void firstStartFromAReadOnlyFolder()
    {
        Fixture f;
        TAppForm& form = f.start(u"/proc"_s);
        const QString dataFolder = f.config.path() + u"/BRINDLE/Tagscope/"_s;
        QCOMPARE(form.windowTitle(), u"BRINDLE - Tagscope"_s);
        QCOMPARE(readFile(dataFolder + u"settings.ini"_s), QByteArray("\xEF\xBB\xBF[Settings]\r\nFileMask=*\r\n\r\n"));
    }

    void loadsTheSettings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("subfolders");
        QTest::addColumn<bool>("sizes");
        QTest::addColumn<bool>("icons");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QString>("folder"); // "<program>" for the program folder
        QTest::addColumn<QByteArray>("written");

        const QByteArray bom("\xEF\xBB\xBF");
        QTest::newRow("lower-case off leaves the box checked")
            << QByteArray("[Settings]\r\nIncludeSubfolders=off\r\nShowIcons=Off\r\nCalculateFilesize=0\r\n") << u"*"_s
            << true << true << true << false << u"<program>"_s
            << bom +
                   "[Settings]\r\nIncludeSubfolders=off\r\nShowIcons=Off\r\nCalculateFilesize=0\r\nFileMask=*\r\n\r\n";
        QTest::newRow("OFF clears the boxes")
            << QByteArray("[Settings]\r\nFileMask=*.jpg\r\nIncludeSubfolders=OFF\r\nCalculateFilesize=OFF\r\n"
                          "ShowIcons=OFF\r\n")
            << u"*.jpg"_s << false << false << false << false << u"<program>"_s
            << bom + "[Settings]\r\nFileMask=*.jpg\r\nIncludeSubfolders=OFF\r\nCalculateFilesize=OFF\r\nShowIcons="
                     "OFF\r\n\r\n";
        QTest::newRow("case-sensitive strips the wildcards")
            << QByteArray("[Settings]\r\nFileMask=*.jpg;*.png\r\nFilterCaseSensitive=ON\r\n") << u".jpg;.png"_s << true
            << true << true << true << u"<program>"_s
            << bom + "[Settings]\r\nFileMask=.jpg;.png\r\nFilterCaseSensitive=ON\r\n\r\n";
        QTest::newRow("lower-case on is not on")
            << QByteArray("[Settings]\r\nFileMask=*.jpg\r\nFilterCaseSensitive=on\r\n") << u"*.jpg"_s << true << true
            << true << false << u"<program>"_s
            << bom + "[Settings]\r\nFileMask=*.jpg\r\nFilterCaseSensitive=on\r\n\r\n";
        QTest::newRow("present but empty filter")
            << QByteArray("[Settings]\r\nFileMask=\r\n") << QString() << true << true << true << false << u"<program>"_s
            << QByteArray("<unchanged>");
        QTest::newRow("present but empty folder")
            << QByteArray("[Settings]\r\nLastFolderInput=\r\nFileMask=*\r\n") << u"*"_s << true << true << true << false
            << QString() << bom + "[Settings]\r\nLastFolderInput=\r\nFileMask=*\r\n\r\n";
        QTest::newRow("stored folder") << QByteArray("[Settings]\r\nLastFolderInput=/srv/photos\r\n") << u"*"_s << true
                                       << true << true << false << u"/srv/photos"_s
                                       << bom + "[Settings]\r\nLastFolderInput=/srv/photos\r\nFileMask=*\r\n\r\n";
        QTest::newRow("keys in lower case")
            << QByteArray("[settings]\r\nfilemask=*.txt\r\n") << u"*.txt"_s << true << true << true << false
            << u"<program>"_s << bom + "[settings]\r\nfilemask=*.txt\r\n\r\n";
        QTest::newRow("another encoding: deleted, defaults used")
            << QByteArray("[Settings]\r\nFileMask=*.txt\r\nLastFolderInput=/srv/caf\xE9\r\nShowIcons=OFF\r\n") << u"*"_s
            << true << true << true << false << u"<program>"_s << bom + "[Settings]\r\nFileMask=*\r\n\r\n";
    }
    void loadsTheSettings()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, filter);
        QFETCH(bool, subfolders);
        QFETCH(bool, sizes);
        QFETCH(bool, icons);
        QFETCH(bool, caseSensitive);
        QFETCH(QString, folder);
        QFETCH(QByteArray, written);

        Fixture f;
        writeFile(f.settingsPath(), file);
        f.start();
        QCOMPARE(f.child<QLineEdit>("EditFile")->text(), filter);
        QCOMPARE(f.child<QCheckBox>("CheckBox3")->isChecked(), subfolders);
        QCOMPARE(f.child<QCheckBox>("CheckBox1")->isChecked(), sizes);
        QCOMPARE(f.child<QCheckBox>("CheckBox4")->isChecked(), icons);
        QCOMPARE(f.child<QCheckBox>("CheckBoxFile")->isChecked(), caseSensitive);
        QCOMPARE(f.label(), folder == u"<program>"_s ? f.program.path() : folder);
        QCOMPARE(readFile(f.settingsPath()), written == "<unchanged>" ? file : written);
    }

    void switchingCaseSensitivityRewritesTheFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("offAgain");
        QTest::newRow("two masks") << u"*.jpg;*.png"_s << u".jpg;.png"_s << u"*.jpg;.png*"_s;
        QTest::newRow("star") << u"*"_s << QString() << u"*"_s;
        QTest::newRow("question marks") << u"img_????.png"_s << u"img_.png"_s << u"*img_.png*"_s;
    }
    void switchingCaseSensitivityRewritesTheFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, on);
        QFETCH(QString, offAgain);
        Fixture f;
        f.start();
        auto* edit = f.child<QLineEdit>("EditFile");
        auto* box = f.child<QCheckBox>("CheckBoxFile");
        edit->setText(filter);
        box->click();
        QCOMPARE(edit->text(), on);
        QVERIFY(readFile(f.settingsPath()).contains("FilterCaseSensitive=ON\r\n"));
        QVERIFY(readFile(f.settingsPath()).contains("FileMask=" + on.toUtf8() + "\r\n"));
        box->click();
        QCOMPARE(edit->text(), offAgain);
        QVERIFY(readFile(f.settingsPath()).contains("FilterCaseSensitive=OFF\r\n"));
        QVERIFY(readFile(f.settingsPath()).contains("FileMask=" + offAgain.toUtf8() + "\r\n"));
    }

    // Typing does not rewrite the file for every keystroke: the filter is written when the typing pauses, when the
    // box is left, and at the latest when the window closes.
    void typedFilterIsWrittenWhenTheTypingPauses()
    {
        Fixture f;
        TAppForm& form = f.start();
        form.show();
        auto* edit = f.child<QLineEdit>("EditFile");
        edit->setFocus();
        edit->end(false);
        const QByteArray before = readFile(f.settingsPath());

        QTest::keyClicks(edit, u"ab"_s);
        QCOMPARE(edit->text(), u"*ab"_s);
        QCOMPARE(readFile(f.settingsPath()), before);
        QTRY_VERIFY(readFile(f.settingsPath()).contains("FileMask=*ab\r\n"));

        QTest::keyClicks(edit, u"c"_s);
        QVERIFY(readFile(f.settingsPath()).contains("FileMask=*ab\r\n"));
        // Leaving the box (Enter would start a scan).
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(!edit->hasFocus());
        QVERIFY(readFile(f.settingsPath()).contains("FileMask=*abc\r\n"));
        edit->setFocus();

        QTest::keyClicks(edit, u"d"_s);
        form.close();
        QVERIFY(readFile(f.settingsPath()).contains("FileMask=*abcd\r\n"));
    }

    void switchesAreRemembered()
    {
        Fixture f;
        f.start();
        f.child<QCheckBox>("CheckBox3")->click();
        f.child<QCheckBox>("CheckBox4")->click();
        QCOMPARE(readFile(f.settingsPath()),
                 QByteArray("\xEF\xBB\xBF[Settings]\r\nFileMask=*\r\nIncludeSubfolders=OFF\r\nShowIcons=OFF\r\n\r\n"));
        f.child<QCheckBox>("CheckBox3")->click();
        QVERIFY(readFile(f.settingsPath()).contains("IncludeSubfolders=ON\r\n"));
    }

    void filterHint()
    {
        Fixture f;
        TAppForm& form = f.start();
        form.show();
        auto* box = f.child<QCheckBox>("CheckBoxFile");
        auto* hint = form.findChild<BalloonHint*>(u"BalloonHint1"_s);
        QVERIFY(hint);
        QVERIFY(!hint->isVisible());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(box, &enter);
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->title(), u"Wildcards can be used if Case-Sensitive is disabled"_s);
        QCOMPARE(hint->description(), u"Wildcards are asterisks (*) or question marks (?).\nAn asterisk matches any "
                                      "number of characters. A question mark matches a single arbitrary character."_s);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(box, &leave);
        QVERIFY(!hint->isVisible());
    }

    void drops()
    {
        Fixture f;
        TAppForm& form = f.start();
        QTemporaryDir place;
        QVERIFY(QDir(place.path()).mkpath(u"one"_s));
        QVERIFY(QDir(place.path()).mkpath(u"two"_s));
        writeFile(place.filePath(u"one/photo.jpg"_s), "x");
        const QByteArray settingsBefore = readFile(f.settingsPath());

        QCOMPARE(dropUrls(form, {QUrl::fromLocalFile(place.filePath(u"one/photo.jpg"_s))}), Qt::CopyAction);
        QCOMPARE(f.label(), place.filePath(u"one"_s));
        QCOMPARE(f.commands<FileListCommands>().folder().SelectedFolder(), place.filePath(u"one"_s));

        dropUrls(form, {QUrl::fromLocalFile(place.filePath(u"two"_s))});
        QCOMPARE(f.label(), place.filePath(u"two"_s));

        dropUrls(form, {QUrl::fromLocalFile(place.filePath(u"one"_s)), QUrl::fromLocalFile(place.filePath(u"two"_s))});
        QCOMPARE(f.label(), place.filePath(u"two"_s));
        QVERIFY(f.dialogs.messages.isEmpty());

        const QString missing = place.filePath(u"gone.txt"_s);
        dropUrls(form, {QUrl::fromLocalFile(missing), QUrl(u"https://example.com/x"_s)});
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, u"Not a valid file: "_s + missing);
        QCOMPARE(f.dialogs.messages[0].caption, u"Error"_s);
        QCOMPARE(f.dialogs.messages[0].type, DialogType::Error);
        QCOMPARE(f.label(), place.filePath(u"two"_s));
        QCOMPARE(f.commands<FileListCommands>().folder().SelectedFolder(), place.filePath(u"two"_s));

        // Offered a move, the window takes a copy, so that the file manager never deletes what was dropped; offered
        // only a move, it takes nothing.
        QCOMPARE(dropUrls(form, {QUrl::fromLocalFile(place.filePath(u"one"_s))}, Qt::CopyAction | Qt::MoveAction),
                 Qt::CopyAction);
        QCOMPARE(dropUrls(form, {QUrl::fromLocalFile(place.filePath(u"one"_s))}, Qt::LinkAction | Qt::MoveAction),
                 Qt::LinkAction);
        QCOMPARE(dropUrls(form, {QUrl::fromLocalFile(place.filePath(u"two"_s))}, Qt::MoveAction), Qt::IgnoreAction);
        QCOMPARE(f.label(), place.filePath(u"one"_s));

        // A drop is not remembered and sets no tool tip.
        QCOMPARE(readFile(f.settingsPath()), settingsBefore);
        QVERIFY(f.child<QLabel>("LabelDirectory")->toolTip().isEmpty());

        // Qt gives a drop to the widget under the pointer that takes drops, and only then to its parents: no widget
        // of the window may take one before the window does, or a folder dropped on the filter or the report pane
        // would be typed into it.
        for (const QWidget* child : form.findChildren<QWidget*>()) {
            if (child->acceptDrops())
                QFAIL(qPrintable(u"%1 (%2) takes drops"_s.arg(child->objectName(),
                                                              QString::fromLatin1(child->metaObject()->className()))));
        }
    }

    void paneTakesHalfTheWidth()
    {
        Fixture f;
        TAppForm& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The client area below the menu bar, status bar included.
        QCOMPARE(form.width(), 812);
        QCOMPARE(form.centralWidget()->height() + form.statusBar()->height(), 441);
        form.resize(813, form.height());
        QTRY_COMPARE(form.centralWidget()->width(), 813);
        auto* pane = form.findChild<QWidget*>(u"Panel1"_s);
        QCOMPARE(pane->width(), 406);

        // Once the user drags the splitter, a resize keeps the share of the width they gave the pane.
        pane->show();
        QTRY_VERIFY(pane->isVisible());
        auto* splitter = form.findChild<QSplitter*>(u"Splitter1"_s);
        // What a drag of the handle does: the new sizes, then the signal.
        splitter->setSizes({813 - 206 - splitter->handleWidth(), 206});
        emit splitter->splitterMoved(813 - 206, 1);
        QTRY_COMPARE(pane->width(), 206);
        form.resize(814, form.height());
        QTRY_COMPARE(form.centralWidget()->width(), 814);
        QCOMPARE(pane->width(), 206);
        form.resize(1221, form.height());
        QTRY_COMPARE(form.centralWidget()->width(), 1221);
        QCOMPARE(pane->width(), qRound(206.0 / 813 * 1221));
    }

    // Ctrl+Q quits, Alt+C is "Change...", and Tab walks the rows from top to bottom.
    void keyboard()
    {
        Fixture f;
        TAppForm& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        QCOMPARE(QKeySequence::mnemonic(f.child<QPushButton>("BitBtn1")->text()), QKeySequence(Qt::ALT | Qt::Key_C));
        // Each menu of the bar opens with a key of its own, and the captions read as they always did.
        QStringList captions;
        QList<QKeySequence> keys;
        for (QAction* menu : f.child<QMenuBar>("MainMenu1")->actions()) {
            captions.append(QString(menu->text()).remove(u'&'));
            keys.append(QKeySequence::mnemonic(menu->text()));
        }
        QCOMPARE(captions, (QStringList{u"File"_s, u"Select"_s, u"Settings"_s, u"Help"_s}));
        for (const QKeySequence& key : keys)
            QVERIFY2(!key.isEmpty() && keys.count(key) == 1, qPrintable(key.toString()));

        const QList<QWidget*> rows{
            f.child<QPushButton>("BitBtn1"), f.child<QLineEdit>("EditFile"),  f.child<QCheckBox>("CheckBoxFile"),
            f.child<QCheckBox>("CheckBox3"), f.child<QCheckBox>("CheckBox1"), f.child<QCheckBox>("CheckBox4"),
            f.child<QPushButton>("Button1"), f.child<QWidget>("ListView1"),   f.child<QWidget>("RichEdit1")};
        QList<QWidget*> visited;
        QWidget* widget = rows.first();
        do {
            if (rows.contains(widget) && !visited.contains(widget))
                visited.append(widget);
            widget = widget->nextInFocusChain();
        } while (widget != rows.first());
        QCOMPARE(visited, rows);

        // A submenu whose items are all disabled is disabled itself.
        QAction* names = f.child<QMenu>("FileNames1")->menuAction();
        QVERIFY(names->isEnabled());
        f.action("CopytoClipboard2")->setEnabled(false);
        f.action("CopytoClipboardIncludePaths1")->setEnabled(false);
        QVERIFY(!names->isEnabled());
        f.action("CopytoClipboard2")->setEnabled(true);
        QVERIFY(names->isEnabled());

        QCOMPARE(f.action("Exit1")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::ALT | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_Q)}));
        QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form.isVisible());
    }

    // A text holding a line break is shown on one line, with the break as its visible symbol.
    void statusOnOneLine()
    {
        Fixture f;
        TAppForm& form = f.start();
        auto* label = form.findChild<QLabel*>(u"StatusPanel1"_s);
        QVERIFY(label);
        f.dialogs.chooseNextFolder(u"/tmp/dir\nwith a break"_s);
        f.child<QPushButton>("BitBtn1")->click();
        QTemporaryDir tree;
        const QString folder = tree.filePath(u"two\nlines"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteWholeFile(folder + u"/a.txt"_s, "x"));
        f.dialogs.chooseNextFolder(tree.path());
        f.child<QPushButton>("BitBtn1")->click();
        f.child<QPushButton>("Button1")->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.child<QPushButton>("Button1")->text(), u"Start"_s, 20000);
        f.child<QTableView>("ListView1")->selectRow(0);
        QCOMPARE(label->text(), tree.filePath(u"two\u2424lines/a.txt"_s));
        QCOMPARE(label->toolTip(), folder + u"/a.txt"_s);
    }

    // Size, place, the pane's width and the columns come back at the next start, from a file of their own:
    // settings.ini keeps its bytes.
    void layoutIsRememberedInAFileOfItsOwn()
    {
        Fixture f;
        {
            TAppForm& form = f.start();
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.setGeometry(50, 60, 1000, 600);
            auto* header = f.child<QTableView>("ListView1")->horizontalHeader();
            header->resizeSection(1, 123);
            header->moveSection(3, 0);
            QWidget* pane = f.child<QWidget>("Panel1");
            pane->show();
            QTRY_COMPARE(pane->width(), f.form->centralWidget()->width() / 2); // half the width the first time
            f.child<QSplitter>("Splitter1")->setSizes({700, 295});
            QTRY_COMPARE(pane->width(), 295);
            const QByteArray settings = readFile(f.settingsPath());
            form.close();
            QCOMPARE(readFile(f.settingsPath()), settings);
            QVERIFY(QFile::exists(f.layoutPath()));
            f.form.reset();
        }
        TAppForm& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.geometry(), QRect(50, 60, 1000, 600));
        auto* header = f.child<QTableView>("ListView1")->horizontalHeader();
        QCOMPARE(header->sectionSize(1), 123);
        QCOMPARE(header->logicalIndex(0), 3);
        QVERIFY(header->sortIndicatorSection() < 0);
        QWidget* pane = f.child<QWidget>("Panel1");
        QVERIFY(pane->isHidden());
        pane->show();
        QTRY_COMPARE(pane->width(), 295);
        // A resize keeps the remembered share of the width.
        const int before = form.centralWidget()->width();
        form.resize(form.width() + 1, form.height());
        QTRY_COMPARE(form.centralWidget()->width(), before + 1);
        QCOMPARE(pane->width(), qRound(295.0 / before * (before + 1)));
    }

    // A place that no screen shows any more (another monitor, another scaling) is moved onto the screen.
    void rememberedPlaceOffEveryScreenIsMovedBack()
    {
        Fixture f;
        QVERIFY(QDir().mkpath(QFileInfo(f.layoutPath()).path()));
        writeFile(f.layoutPath(), "[Window]\nGeometry=@Rect(-5000 100 812 500)\n");
        TAppForm& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(812, 500));
        QVERIFY2(QRect(0, 0, 1600, 1000).contains(form.geometry()), qPrintable(QString::number(form.x())));
    }

    void onlineHelp()
    {
        Fixture f;
        f.start();
        f.action("Help2")->trigger();
        QCOMPARE(f.shell.openedUrls, QList<QUrl>{QUrl(u"http://www.brindle.example/help/tagscope/"_s)});
        QCOMPARE(f.action("Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    }

    void resetToDefaults_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << 6;
        QTest::newRow("no") << 7;
        QTest::newRow("escape") << 2;
    }
    void resetToDefaults()
    {
        QFETCH(int, answer);
        Fixture f;
        writeFile(f.settingsPath(), "[Settings]\r\nFileMask=*.raw\r\n");
        TAppForm& form = f.start();
        form.show();
        f.dialogs.answerNextMessage(answer);
        f.action("ResettoDefaults1")->trigger();

        QCOMPARE(f.dialogs.messages.size(), 1);
        const MessageBoxContent& box = f.dialogs.messages[0];
        QCOMPARE(box.text, u"Restart Application?\r\rYour settings will be deleted, and Tagscope will start again with "
                           "its defaults."_s);
        QCOMPARE(box.caption, u"Confirmation"_s);
        QCOMPARE(box.type, DialogType::Confirmation);
        QCOMPARE(box.buttons.size(), 2);
        QCOMPARE(box.buttons[box.defaultButton].result, 6);

        const bool reset = answer == 6;
        QCOMPARE(QFile::exists(f.settingsPath()), !reset);
        QCOMPARE(f.shell.startedPrograms, reset ? QStringList{QCoreApplication::applicationFilePath()} : QStringList{});
        QCOMPARE(form.isVisible(), !reset);
        if (reset) {
            // The ending copy writes nothing more, so the new copy starts with the defaults.
            f.child<QCheckBox>("CheckBox3")->click();
            QVERIFY(!QFile::exists(f.settingsPath()));
        }
    }

    void errorReportBox()
    {
        Fixture f;
        TAppForm& form = f.start();
        form.ShowErrorReport(std::make_exception_ptr(std::runtime_error("Disk is full")));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, u"Disk is full."_s);
        QCOMPARE(f.dialogs.messages[0].caption, u"Tagscope"_s);
        QCOMPARE(f.dialogs.messages[0].type, DialogType::Error);
        QCOMPARE(f.dialogs.messages[0].buttons.size(), 1);

        // A command that fails reaches the same report, and the window goes on: here the settings file cannot be
        // replaced, since a folder took its name.
        f.dialogs.messages.clear();
        form.show();
        QVERIFY(QFile::remove(f.settingsPath()));
        QVERIFY(QDir().mkdir(f.settingsPath()));
        f.child<QCheckBox>("CheckBox3")->click();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].text.startsWith(u"Cannot create file \""_s + f.settingsPath() + u"\"."_s),
                 qPrintable(f.dialogs.messages[0].text));
        QCOMPARE(f.dialogs.messages[0].caption, u"Tagscope"_s);
        QVERIFY(form.isVisible());
    }

    // The real message box: which button closes it decides the result.
    void customMessageDialogResults_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("result");
        QTest::newRow("yes") << u"Yes"_s << 6;
        QTest::newRow("no") << u"No"_s << 7;
        QTest::newRow("escape") << u"<Escape>"_s << 2;
        QTest::newRow("enter takes the default") << u"<Enter>"_s << 6;
    }
    void customMessageDialogResults()
    {
        QFETCH(QString, press);
        QFETCH(int, result);
        QtDialogs dialogs;
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), u"Confirmation"_s);
            QStringList texts;
            for (QAbstractButton* b : box->buttons())
                texts.append(b->text());
            QVERIFY(texts.contains(u"Yes"_s) && texts.contains(u"No"_s));
            if (press == u"<Escape>"_s)
                QTest::keyClick(box, Qt::Key_Escape);
            else if (press == u"<Enter>"_s)
                QTest::keyClick(box, Qt::Key_Return);
            else
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == press)
                        b->click();
            answered = true;
        });
        const int got =
            CustomMessageDialog(dialogs, u"Restart Application?"_s, DialogType::Confirmation,
                                {DialogButton::Yes, DialogButton::No}, u"Confirmation"_s, {u"Yes"_s, u"No"_s});
        QVERIFY(answered);
        QCOMPARE(got, result);
    }

    // The real file dialog: a double quote typed in the name is part of the name, and never leads elsewhere.
    void typedQuoteStaysInTheName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen"); // in the dialog's folder
        QTest::newRow("a quote in the name") << u"a\"b.txt"_s << u"a\"b.txt"_s;
        QTest::newRow("a quoted name") << u"\"q.txt\""_s << u"\"q.txt\""_s;
        QTest::newRow("the default extension") << u"say \"hi\""_s << u"say \"hi\".txt"_s;
    }
    void typedQuoteStaysInTheName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QTemporaryDir folder;
        QtDialogs dialogs;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            QVERIFY(edit);
            edit->setText(typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        SaveFileRequest request;
        request.title = u"Save Metadata as TXT"_s;
        request.filter = u"TXT File (*.txt)|*.txt|Any File (*.*)|*.*"_s;
        request.defaultExtension = u"txt"_s;
        request.proposedName = folder.filePath(u"report.txt"_s);
        const std::optional<SaveFileChoice> choice = dialogs.chooseSaveFile(request);
        QVERIFY(choice);
        QCOMPARE(choice->path, folder.filePath(chosen));
    }

    // The real file dialog: a name typed without an extension gets the one of the chosen file type.
    void typedNameTakesTheChosenTypesExtension_data()
    {
        QTest::addColumn<int>("type"); // -1: the type the dialog opened with
        QTest::addColumn<QString>("chosen");
        QTest::newRow("first type") << -1 << u"list.xls"_s;
        QTest::newRow("second type") << 1 << u"list.xlsx"_s;
        QTest::newRow("any file: the default extension") << 2 << u"list.xls"_s;
    }
    void typedNameTakesTheChosenTypesExtension()
    {
        QFETCH(int, type);
        QFETCH(QString, chosen);
        QTemporaryDir folder;
        QtDialogs dialogs;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* types = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
            auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            QVERIFY(types && edit);
            if (type >= 0) {
                // As the user picks it from the list.
                types->setCurrentIndex(type);
                emit types->activated(type);
                emit types->textActivated(types->itemText(type));
            }
            edit->setText(u"list"_s);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        SaveFileRequest request;
        request.filter = u"XLS File|*.xls|XLSX File|*.xlsx|Any File|*.*"_s;
        request.defaultExtension = u"xls"_s;
        request.proposedName = folder.filePath(u"x"_s);
        const std::optional<SaveFileChoice> choice = dialogs.chooseSaveFile(request);
        QVERIFY(choice);
        QCOMPARE(choice->path, folder.filePath(chosen));
    }

    void boxIsWideEnoughForItsCaption_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("No file added!") << u"No file added!"_s << u"Warning"_s;
        QTest::newRow("a longer caption") << u"OK?"_s << u"BRINDLE - Tagscope Confirmation"_s;
    }

    // A short text makes a narrow box, whose caption the window manager would cut short.
    void boxIsWideEnoughForItsCaption()
    {
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QtDialogs dialogs;
        int width = 0;
        QFont title;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            width = box->width();
            title = box->font();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        CustomMessageDialog(dialogs, text, DialogType::Warning, {DialogButton::OK}, caption, {});
        title.setBold(true);
        // The caption, and beside it an icon and three buttons of a title bar about 30 pixels high.
        const int needed = QFontMetrics(title).horizontalAdvance(caption) + 4 * 30;
        QVERIFY2(width >= needed, qPrintable(u"%1 < %2"_s.arg(width).arg(needed)));
    }

    void okButtonKeepsItsStandardText()
    {
        QtDialogs dialogs;
        QString shown;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->buttons().size(), 1);
            shown = box->buttons().constFirst()->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(CustomMessageDialog(dialogs, u"x"_s, DialogType::Warning, {DialogButton::OK}, u"Warning"_s, {}), 2);
        QCOMPARE(shown, u"OK"_s);
    }
};

QTEST_MAIN(TestAppForm)
#include "tst_appform.moc"
