#include "core/filelist/filerecords.h"
#include "support/ui/appformfixture.h"
#include "ui/filelist/fileselection.h"
#include "ui/fileops/finddialog.h"
#include "ui/fileops/fileopscommands.h"
#include "ui/fileops/renamefileform.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// A window that lists the files of a folder of its own, scanned as a user would.
struct FileOpsFixture : AppFormFixture
{
    QTemporaryDir tree;
    QTemporaryDir dataHome; // $XDG_DATA_HOME, the home of the trash
    QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");

    FileOpsFixture()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
        start();
        // Shown and active, so that keys and the focus work as for a user.
        form->show();
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("the window did not become active");
    }
    ~FileOpsFixture() { qputenv("XDG_DATA_HOME", savedDataHome); }

    QString path(const QString& relative) const { return tree.filePath(relative); }
    QTableView* list() const { return child<QTableView>("ListView1"); }
    QAbstractItemModel* model() const { return list()->model(); }
    FileListSelection* selection() const { return &listSelection(); }
    FileOpsCommands& ops() const { return commands<FileOpsCommands>(); }

    // Makes the files (their content is their name) and lists them, sorted by name.
    void listFiles(const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(WriteFileMakingFolders(path(name), name.toUtf8()));
        dialogs.chooseNextFolder(tree.path());
        child<QPushButton>("BitBtn1")->click();
        child<QPushButton>("Button1")->click();
        QTRY_COMPARE_WITH_TIMEOUT(child<QPushButton>("Button1")->text(), u"Start"_s, 20000);
        records().sort(0, false);
        QCOMPARE(model()->rowCount(), names.size());
    }
    QStringList column0() const
    {
        QStringList texts;
        for (int row = 0; row < model()->rowCount(); ++row)
            texts.append(model()->index(row, 0).data().toString());
        return texts;
    }
    void selectRows(const QList<int>& rows) const
    {
        selection()->clearRows();
        for (const int row : rows)
            selection()->select(model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QList<int> selectedRows() const
    {
        const std::vector<int> rows = selection()->rows().rows();
        return QList<int>(rows.begin(), rows.end());
    }
    TFormRenameFile* lastRenameWindow() const
    {
        const QList<TFormRenameFile*> windows = form->findChildren<TFormRenameFile*>();
        return windows.isEmpty() ? nullptr : windows.constLast();
    }
};

} // namespace

class TestFileOpsWindow : public QObject
{
    Q_OBJECT

private slots:
    void captions()
    {
        FileOpsFixture f;
        QCOMPARE(f.action("OpenwithExplorer1")->text(), u"Show in File Manager"_s);
        QCOMPARE(f.action("SendtoRecycleBin1")->text(), u"Move to Trash"_s);
        QCOMPARE(f.action("DeleteFile1")->text(), u"Permanently Delete"_s);
        for (const char* name :
             {"Open1", "Rename1", "OpenwithExplorer1", "Copytoclipboard1", "CopytoClipboard2",
              "CopytoClipboardIncludePaths1", "SelectAll1", "Selectnone1", "InvertSelection1", "Find1", "SelectAll2",
              "SelectNone2", "InvertSelection2", "DeletefromList1", "SendtoRecycleBin1", "DeleteFile1"})
            QVERIFY2(f.action(name)->isEnabled(), name);
    }

    // Without a selection the commands do nothing, but those that remove still refresh the list.
    void nothingSelected()
    {
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s, u"b.jpg"_s});
        for (const char* name : {"Open1", "OpenwithExplorer1", "Rename1", "Copytoclipboard1", "CopytoClipboard2",
                                 "SendtoRecycleBin1", "DeleteFile1"})
            f.action(name)->trigger();
        QVERIFY(f.shell.openedUrls.isEmpty() && f.shell.shownItems.isEmpty() && !f.shell.clipboard);
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.lastRenameWindow(), nullptr);
        QCOMPARE(f.model()->rowCount(), 2);
        QCOMPARE(f.status(1), u"2 items"_s);
    }

    // Open hands files and folders to the desktop, in row order; a missing one is named in a warning.
    void openAndShow()
    {
        FileOpsFixture f;
        f.listFiles({u"a b#1.jpg"_s, u"gone.jpg"_s, u"z.txt"_s});
        QVERIFY(QFile::remove(f.path(u"gone.jpg"_s)));
        f.selectRows({0, 1, 2});
        f.action("Open1")->trigger();
        QTRY_COMPARE(f.shell.openedUrls, (QList<QUrl>{QUrl::fromLocalFile(f.path(u"a b#1.jpg"_s)),
                                                      QUrl::fromLocalFile(f.path(u"z.txt"_s))}));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages.constFirst().text, u"Item not found!\r\r"_s + f.path(u"gone.jpg"_s));
        QCOMPARE(f.dialogs.messages.constFirst().caption, u"Warning"_s);

        // One file-manager window per row; the path is not checked.
        f.action("OpenwithExplorer1")->trigger();
        QCOMPARE(f.shell.shownItems,
                 (QList<QStringList>{{f.path(u"a b#1.jpg"_s)}, {f.path(u"gone.jpg"_s)}, {f.path(u"z.txt"_s)}}));

        // A double click opens what it selects.
        f.shell.openedUrls.clear();
        f.selectRows({2});
        emit f.list()->doubleClicked(f.model()->index(2, 0));
        QTRY_COMPARE(f.shell.openedUrls, (QList<QUrl>{QUrl::fromLocalFile(f.path(u"z.txt"_s))}));
    }

    void openManyAsksFirst_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("answer"); // to the question, if one is asked
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("opened");
        QTest::newRow("ten: no question") << 10 << ModalResult::Cancel << false << 10;
        QTest::newRow("eleven: Yes") << 11 << ModalResult::Yes << true << 11;
        QTest::newRow("eleven: No") << 11 << ModalResult::No << true << 0;
        QTest::newRow("eleven: Escape") << 11 << ModalResult::Cancel << true << 0;
        QTest::newRow("1,000: Yes") << 1000 << ModalResult::Yes << true << 1000;
    }

    // Many programs started at once stall a desktop: more than ten files are opened only after a question, and one
    // at a time through the event loop, so the window goes on answering meanwhile.
    void openManyAsksFirst()
    {
        QFETCH(int, rows);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(int, opened);
        FileOpsFixture f;
        QStringList names;
        for (int i = 0; i < rows; ++i)
            names.append(u"f%1.txt"_s.arg(i, 4, 10, QChar(u'0')));
        f.listFiles(names);
        f.selectRows({});
        f.selection()->setRows(RowSelection::all(rows));
        f.dialogs.answerNextMessage(answer);
        f.action("Open1")->trigger();
        QCOMPARE(f.dialogs.messages.size(), asked ? 1 : 0);
        if (asked) {
            const MessageBoxContent& box = f.dialogs.messages.constFirst();
            QCOMPARE(box.text,
                     u"Open %1 files?"_s.arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(rows)));
            QCOMPARE(box.caption, u"Confirmation"_s);
            QCOMPARE(box.buttons.size(), 2);
            QCOMPARE(box.buttons[box.defaultButton].button, DialogButton::Yes);
        }
        // Nothing is started before the command has returned to the event loop.
        QVERIFY(f.shell.openedUrls.isEmpty());
        QTRY_COMPARE(f.shell.openedUrls.size(), opened);
        if (opened > 0) {
            QCOMPARE(f.shell.openedUrls.constFirst(), QUrl::fromLocalFile(f.path(names.constFirst())));
            QCOMPARE(f.shell.openedUrls.constLast(), QUrl::fromLocalFile(f.path(names.at(opened - 1))));
        }
    }

    void renameWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("selected");
        QTest::newRow("dots in the name") << u"photo.2021.jpg"_s << u"photo.2021"_s;
        QTest::newRow("no extension") << u"README"_s << u"README"_s;
        QTest::newRow("hidden file") << u".profile"_s << QString();
    }

    // The window of the lowest selected row: its folder with a tool tip, its name with the stem selected.
    void renameWindow()
    {
        QFETCH(QString, name);
        QFETCH(QString, selected);
        FileOpsFixture f;
        f.listFiles({name, u"zz.jpg"_s});
        f.selectRows({1, 0});
        f.action("Rename1")->trigger();
        TFormRenameFile* window = f.lastRenameWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible() && !window->isModal());
        QCOMPARE(window->windowTitle(), u"Rename File"_s);
        QCOMPARE(window->size(), QSize(677, 90));
        auto* folder = window->findChild<QLabel*>(u"Label2"_s);
        QCOMPARE(folder->text(), f.tree.path() + u'/');
        QCOMPARE(folder->toolTip(), folder->text());
        QCOMPARE(window->findChild<QLabel*>(u"Label1"_s)->text(), u"Directory:"_s);
        QCOMPARE(window->findChild<QLabel*>(u"Label3"_s)->text(), u"Filename:"_s);
        QLineEdit* edit = window->edit();
        QCOMPARE(edit->text(), name);
        QCOMPARE(edit->selectedText(), selected);
        QCOMPARE(edit->selectionStart(), selected.isEmpty() ? -1 : 0);
        QCOMPARE(window->focusWidget(), edit);
    }

    void renameByKeyboard_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("extension");
        QTest::newRow("another name and type") << u"new.png"_s << u"PNG"_s;
        QTest::newRow("only the case of a letter") << u"A.jpg"_s << u"JPG"_s;
        QTest::newRow("a longer extension") << u"a.jpeg"_s << u"JPEG"_s;
    }

    // Enter renames the file and its row, whose every cell is told to change; Escape closes without renaming.
    void renameByKeyboard()
    {
        QFETCH(QString, typed);
        QFETCH(QString, extension);
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s, u"b.jpg"_s});
        f.selectRows({0});
        f.action("Rename1")->trigger();
        QPointer<TFormRenameFile> window = f.lastRenameWindow();
        window->edit()->setText(typed);
        QSignalSpy changed(f.model(), &QAbstractItemModel::dataChanged);
        QTest::keyClick(window->edit(), Qt::Key_Return);
        QTRY_VERIFY(!window);
        QStringList entries{typed, u"b.jpg"_s};
        entries.sort();
        QCOMPARE(FolderEntries(f.tree.path()), entries);
        QCOMPARE(ReadWholeFile(f.path(typed)), QByteArray("a.jpg"));
        QCOMPARE(f.column0(), (QStringList{f.path(typed), f.path(u"b.jpg"_s)}));
        QCOMPARE(f.model()->index(0, 1).data().toString(), extension);
        QCOMPARE(changed.size(), 1);
        const QModelIndex first = changed.at(0).at(0).value<QModelIndex>();
        const QModelIndex last = changed.at(0).at(1).value<QModelIndex>();
        QCOMPARE(first.row(), 0);
        QCOMPARE(last.row(), 0);
        QCOMPARE(first.column(), 0);
        QCOMPARE(last.column(), f.model()->columnCount() - 1);

        f.selectRows({1});
        f.action("Rename1")->trigger();
        window = f.lastRenameWindow();
        window->edit()->setText(u"other.jpg"_s);
        QTest::keyClick(window->edit(), Qt::Key_Escape);
        QTRY_VERIFY(!window);
        QVERIFY(QFileInfo::exists(f.path(u"b.jpg"_s)));
        QCOMPARE(f.column0().at(1), f.path(u"b.jpg"_s));
    }

    // The window shows again when it is restored or mapped anew; the name typed before must still be renamed to.
    void renameAfterTheWindowShowsAgain()
    {
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s});
        f.selectRows({0});
        f.action("Rename1")->trigger();
        QPointer<TFormRenameFile> window = f.lastRenameWindow();
        window->edit()->setText(u"renamed.jpg"_s);
        window->hide();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->edit()->text(), u"renamed.jpg"_s);
        window->findChild<QPushButton*>(u"Button1"_s)->click();
        QTRY_VERIFY(!window);
        QCOMPARE(FolderEntries(f.tree.path()), QStringList{u"renamed.jpg"_s});
        QCOMPARE(f.column0(), QStringList{f.path(u"renamed.jpg"_s)});
    }

    void renameFails_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("removeFile");
        QTest::newRow("the name exists") << u"b.jpg"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("a separator") << u"x/y.jpg"_s << false;
        QTest::newRow("the file is gone") << u"c.jpg"_s << true;
    }

    // A rename that fails says why and keeps the window open with the typed name; nothing changes.
    void renameFails()
    {
        QFETCH(QString, typed);
        QFETCH(bool, removeFile);
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s, u"b.jpg"_s});
        f.selectRows({0});
        f.action("Rename1")->trigger();
        TFormRenameFile* window = f.lastRenameWindow();
        if (removeFile)
            QVERIFY(QFile::remove(f.path(u"a.jpg"_s)));
        window->edit()->setText(typed);
        window->findChild<QPushButton*>(u"Button1"_s)->click();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages.constFirst().caption, u"Warning"_s);
        QVERIFY(window->isVisible());
        QCOMPARE(window->edit()->text(), typed);
        QCOMPARE(ReadWholeFile(f.path(u"b.jpg"_s)), QByteArray("b.jpg"));
        QCOMPARE(f.column0(), (QStringList{f.path(u"a.jpg"_s), f.path(u"b.jpg"_s)}));
    }

    // Two windows at once keep their own files; a row removed meanwhile makes OK rename nothing.
    void renameWindowsKeepTheirFiles()
    {
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s});
        f.selectRows({0});
        f.action("Rename1")->trigger();
        QPointer<TFormRenameFile> first = f.lastRenameWindow();
        f.selectRows({1});
        f.action("Rename1")->trigger();
        QPointer<TFormRenameFile> second = f.lastRenameWindow();
        f.selectRows({2});
        f.action("Rename1")->trigger();
        QPointer<TFormRenameFile> third = f.lastRenameWindow();
        QVERIFY(first != second && second != third);

        // The list is sorted the other way round meanwhile; each window finds its file where it is now.
        f.records().sort(0, true);
        second->edit()->setText(u"b2.jpg"_s);
        second->findChild<QPushButton*>(u"Button1"_s)->click();
        first->edit()->setText(u"a2.jpg"_s);
        first->findChild<QPushButton*>(u"Button1"_s)->click();
        f.selectRows({0}); // c.jpg, now first
        f.action("DeletefromList1")->trigger();
        third->edit()->setText(u"c2.jpg"_s);
        third->findChild<QPushButton*>(u"Button1"_s)->click();
        QTRY_VERIFY(!first && !second && !third);
        QCOMPARE(f.column0(), (QStringList{f.path(u"b2.jpg"_s), f.path(u"a2.jpg"_s)}));
        QCOMPARE(FolderEntries(f.tree.path()), (QStringList{u"a2.jpg"_s, u"b2.jpg"_s, u"c.jpg"_s}));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // The same path listed twice: the rename moves the file once and updates that row, the other keeps the old
    // path; moving to the trash through one row removes both.
    void samePathListedTwice()
    {
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s, u"b.jpg"_s});
        std::vector<TMyRecord> again{f.records().at(0)};
        f.records().append(again);
        QTRY_COMPARE(f.model()->rowCount(), 3);
        f.selectRows({2});
        f.action("Rename1")->trigger();
        f.lastRenameWindow()->edit()->setText(u"a2.jpg"_s);
        f.lastRenameWindow()->findChild<QPushButton*>(u"Button1"_s)->click();
        QCOMPARE(f.column0(), (QStringList{f.path(u"a2.jpg"_s), f.path(u"b.jpg"_s), f.path(u"a.jpg"_s)}));

        std::vector<TMyRecord> twice{f.records().at(1)};
        f.records().append(twice);
        QTRY_COMPARE(f.model()->rowCount(), 4);
        f.selectRows({3});
        f.dialogs.answerNextMessage(ModalResult::Yes);
        f.action("SendtoRecycleBin1")->trigger();
        QCOMPARE(f.column0(), (QStringList{f.path(u"a2.jpg"_s), f.path(u"a.jpg"_s)}));
    }

    // Rows 2, 5 and 7 of 10 leave the list, by the menu or the Delete key; no file is touched.
    void removeFromList_data()
    {
        QTest::addColumn<bool>("key");
        QTest::newRow("menu") << false;
        QTest::newRow("Delete key") << true;
    }

    void removeFromList()
    {
        QFETCH(bool, key);
        FileOpsFixture f;
        QStringList names;
        for (int i = 0; i < 10; ++i)
            names.append(u"f%1.jpg"_s.arg(i));
        f.listFiles(names);
        f.selectRows({2, 5, 7});
        if (key) {
            f.list()->setFocus();
            QTest::keyClick(f.list(), Qt::Key_Delete);
        } else {
            f.action("DeletefromList1")->trigger();
        }
        QStringList expected;
        for (const int i : {0, 1, 3, 4, 6, 8, 9})
            expected.append(f.path(names.at(i)));
        QCOMPARE(f.column0(), expected);
        QCOMPARE(FolderEntries(f.tree.path()).size(), 10);
        QVERIFY(f.selectedRows().isEmpty());
        QCOMPARE(f.status(1), u"7 items"_s);
    }

    void trashAndDelete_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("trash") << u"SendtoRecycleBin1"_s
                               << u"Do you really want to send the selected item(s) to the Trash?"_s
                               << u"2 items moved to the Trash, 1 could not be moved"_s;
        QTest::newRow("delete") << u"DeleteFile1"_s
                                << u"Do you really want to permanently delete the selected item(s) from disk?"_s
                                << u"2 items deleted, 1 could not be deleted"_s;
    }

    // After the question, the items go; one that vanished meanwhile stays listed and is counted as not done. "No"
    // changes nothing but the selection.
    void trashAndDelete()
    {
        QFETCH(QString, action);
        QFETCH(QString, question);
        QFETCH(QString, outcome);
        FileOpsFixture f;
        f.listFiles({u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s});
        QVERIFY(QFile::remove(f.path(u"c.jpg"_s)));

        f.selectRows({0, 1, 2});
        f.dialogs.answerNextMessage(ModalResult::No);
        f.action(action.toLatin1().constData())->trigger();
        QCOMPARE(f.dialogs.messages.size(), 1);
        const MessageBoxContent& box = f.dialogs.messages.constFirst();
        QCOMPARE(box.text, question);
        QCOMPARE(box.caption, u"Confirmation"_s);
        QCOMPARE(box.type, DialogType::Confirmation);
        QCOMPARE(box.buttons.size(), 2);
        QCOMPARE(f.model()->rowCount(), 4);
        QVERIFY(f.selectedRows().isEmpty());

        f.selectRows({0, 1, 2});
        f.dialogs.answerNextMessage(ModalResult::Yes);
        f.action(action.toLatin1().constData())->trigger();
        QCOMPARE(f.column0(), (QStringList{f.path(u"c.jpg"_s), f.path(u"d.jpg"_s)}));
        QCOMPARE(FolderEntries(f.tree.path()), QStringList{u"d.jpg"_s});
        QCOMPARE(f.status(0), outcome);
        QCOMPARE(f.status(1), u"2 items"_s);
        QVERIFY(f.selectedRows().isEmpty());
        const QStringList trashed = FolderEntries(f.dataHome.filePath(u"Trash/files"_s));
        QCOMPARE(trashed, action == u"SendtoRecycleBin1"_s ? (QStringList{u"a.jpg"_s, u"b.jpg"_s}) : QStringList{});
    }

    // A folder listed as a path is deleted with what it holds.
    void deleteFolder()
    {
        FileOpsFixture f;
        f.listFiles({u"album/x.jpg"_s, u"album/deep/y.jpg"_s});
        std::vector<TMyRecord> folder(1);
        folder[0].FFolder = f.tree.path() + u'/';
        folder[0].FName = u"album"_s;
        f.records().append(folder);
        QTRY_COMPARE(f.model()->rowCount(), 3);
        f.selectRows({2});
        f.dialogs.answerNextMessage(ModalResult::Yes);
        f.action("DeleteFile1")->trigger();
        QVERIFY(!QFileInfo::exists(f.path(u"album"_s)));
        QCOMPARE(f.status(0), u"1 item deleted"_s);
    }

    void clipboard()
    {
        FileOpsFixture f;
        f.listFiles({u"a b.jpg"_s, u"c.jpg"_s, u"d.jpg"_s});
        f.action("Copytoclipboard1")->trigger();
        QVERIFY(!f.shell.clipboard);
        f.selectRows({0, 2});
        f.action("Copytoclipboard1")->trigger();
        QVERIFY(f.shell.clipboard);
        QCOMPARE(f.shell.clipboard->urls(),
                 (QList<QUrl>{QUrl::fromLocalFile(f.path(u"a b.jpg"_s)), QUrl::fromLocalFile(f.path(u"d.jpg"_s))}));
        QVERIFY(f.shell.clipboard->hasFormat(u"x-special/gnome-copied-files"_s));
        const QString lines = f.path(u"a b.jpg"_s) + u"\r\n"_s + f.path(u"d.jpg"_s) + u"\r\n"_s;
        for (const char* name : {"CopytoClipboard2", "CopytoClipboardIncludePaths1"}) {
            f.shell.clipboard.reset();
            f.action(name)->trigger();
            QCOMPARE(f.shell.clipboard->text(), lines);
        }
    }

    // Select All, None and Invert from either menu; the "Show Icons" box and its setting stay as they were.
    void selection()
    {
        FileOpsFixture f;
        f.listFiles({u"0.jpg"_s, u"1.jpg"_s, u"2.jpg"_s, u"3.jpg"_s});
        QVERIFY(f.child<QCheckBox>("CheckBox4")->isChecked());
        const QByteArray settings = ReadWholeFile(f.settingsPath());
        for (const char* all : {"SelectAll1", "SelectAll2"}) {
            f.selection()->clearRows();
            f.action(all)->trigger();
            QCOMPARE(f.selectedRows(), (QList<int>{0, 1, 2, 3}));
            QCOMPARE(QApplication::focusWidget(), f.list());
        }
        QVERIFY(f.child<QCheckBox>("CheckBox4")->isChecked());
        QCOMPARE(ReadWholeFile(f.settingsPath()), settings);
        for (const char* none : {"Selectnone1", "SelectNone2"}) {
            f.selectRows({1});
            f.action(none)->trigger();
            QVERIFY(f.selectedRows().isEmpty());
        }
        for (const char* invert : {"InvertSelection1", "InvertSelection2"}) {
            f.selectRows({0, 2});
            f.action(invert)->trigger();
            QCOMPARE(f.selectedRows(), (QList<int>{1, 3}));
        }
    }

    // Find selects every row that holds the text, with only A to Z folded; the dialog keeps its text.
    void find()
    {
        FileOpsFixture f;
        f.listFiles({u"a.JPG"_s, u"b.png"_s, u"c.jpg"_s, u"É.txt"_s, u"é.txt"_s, u"Zebra.gif"_s, u"zebra.gif"_s});
        const auto rowsOf = [&f](const QStringList& names) {
            QList<int> rows;
            for (const QString& name : names)
                rows.append(int(f.column0().indexOf(f.path(name))));
            std::sort(rows.begin(), rows.end());
            return rows;
        };
        f.action("Find1")->trigger();
        TFindDialog* dialog = f.ops().findDialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        auto* text = dialog->findChild<QLineEdit*>(u"FindText"_s);
        auto* next = dialog->findChild<QPushButton*>(u"FindNext"_s);
        // A and Z, the ends of the folded letters, in the text and in the names.
        for (const QString& typed : {u"jpg"_s, u"JPG"_s, u"a.jpg"_s}) {
            text->setText(typed);
            next->click();
            QCOMPARE(f.selectedRows(),
                     rowsOf(typed == u"a.jpg"_s ? QStringList{u"a.JPG"_s} : QStringList{u"a.JPG"_s, u"c.jpg"_s}));
        }
        for (const QString& typed : {u"zebra"_s, u"ZEBRA"_s}) {
            text->setText(typed);
            next->click();
            QCOMPARE(f.selectedRows(), rowsOf({u"Zebra.gif"_s, u"zebra.gif"_s}));
        }
        text->setText(u"é"_s);
        next->click();
        QCOMPARE(f.selectedRows(), rowsOf({u"é.txt"_s}));
        text->clear();
        next->click();
        QVERIFY(f.selectedRows().isEmpty());

        text->setText(u"png"_s);
        dialog->findChild<QPushButton*>(u"Cancel"_s)->click();
        QVERIFY(!dialog->isVisible());
        f.action("Find1")->trigger();
        QCOMPARE(f.ops().findDialog(), dialog);
        QCOMPARE(text->text(), u"png"_s);
    }

    // Every command works while a scan appends to the list.
    void commandsDuringAScan()
    {
        FileOpsFixture f;
        QString deep = f.tree.path();
        for (int level = 0; level < 40; ++level) {
            deep += u"/level"_s + QString::number(level);
            for (int i = 0; i < 50; ++i)
                QVERIFY(WriteFileMakingFolders(deep + u"/f"_s + QString::number(i) + u".txt"_s, "x"));
        }
        f.dialogs.chooseNextFolder(f.tree.path());
        f.child<QPushButton>("BitBtn1")->click();
        f.child<QPushButton>("Button1")->click();
        QTRY_VERIFY(f.model()->rowCount() > 0);
        int rounds = 0;
        while (f.child<QPushButton>("Button1")->text() == u"STOP"_s || rounds < 3) {
            f.action("SelectAll1")->trigger();
            f.action("InvertSelection1")->trigger();
            f.ops().FindDialog1Find(u"f1"_s);
            f.action("CopytoClipboard2")->trigger();
            f.selectRows({0, 2});
            f.action("DeletefromList1")->trigger();
            QTest::qWait(1);
            ++rounds;
        }
        QTRY_COMPARE_WITH_TIMEOUT(f.child<QPushButton>("Button1")->text(), u"Start"_s, 30000);
        QTRY_COMPARE(std::size_t(f.model()->rowCount()), f.records().size());
        QVERIFY2(f.model()->rowCount() < 2000,
                 qPrintable(u"%1 rows after %2 rounds"_s.arg(f.model()->rowCount()).arg(rounds)));
    }
};

QTEST_MAIN(TestFileOpsWindow)
#include "tst_fileopswindow.moc"
