#include "core/filelist/filerecords.h"
#include "support/ui/appformfixture.h"
#include "ui/export/exportcommands.h"
#include "ui/export/exportform.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ExportFixture : AppFormFixture
{
    QTemporaryDir out;

    ExportFixture() { start(); }

    // Puts files straight into the list, as a scan would, and waits until the list shows them.
    void addFiles(int count, const QString& folder = u"/photos/"_s)
    {
        FileRecords& list = records();
        const std::size_t before = list.size();
        std::vector<TMyRecord> batch;
        for (int i = 0; i < count; ++i) {
            TMyRecord r;
            r.FFolder = folder;
            r.FName = u"f%1.jpg"_s.arg(before + std::size_t(i));
            r.FExtension = u"JPG"_s;
            r.FSize = qint64(before) + i;
            batch.push_back(std::move(r));
        }
        list.append(batch);
        QTRY_COMPARE(form->findChild<QTableView*>(u"ListView1"_s)->model()->rowCount(), int(before) + count);
    }

    TFormExport* open()
    {
        action("ExporttoFile1")->trigger();
        return commands<ExportCommands>().lastDialog();
    }

    // Presses Save with the save dialog answering file, and waits for the export to end.
    void save(TFormExport* dialog, const QString& file)
    {
        dialogs.chooseNextSaveFile(file);
        dialog->findChild<QPushButton*>(u"Button1"_s)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isExporting(), 30000);
        QCoreApplication::processEvents();
    }
};

template <typename T> T* in(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

QByteArray textFile(const QStringList& lines)
{
    QByteArray bytes = "\xEF\xBB\xBF";
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

} // namespace

class TestExportWindow : public QObject
{
    Q_OBJECT

private slots:
    void emptyListWarns()
    {
        ExportFixture f;
        QVERIFY(f.action("ExporttoFile1")->isEnabled());
        QCOMPARE(f.open(), nullptr);
        QCOMPARE(f.dialogs.messages.size(), 1);
        const MessageBoxContent& box = f.dialogs.messages.constFirst();
        QCOMPARE(box.text, u"No file added!"_s);
        QCOMPARE(box.caption, u"Warning"_s);
        QCOMPARE(box.type, DialogType::Warning);
        QCOMPARE(box.buttons.size(), 1);
        QCOMPARE(box.buttons.constFirst().text, u"OK"_s);
    }

    void controlsAndDefaults()
    {
        ExportFixture f;
        f.addFiles(2);
        TFormExport* dialog = f.open();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), u"Export to File"_s);
        QCOMPARE(dialog->size(), QSize(532, 290));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

        struct Expected
        {
            const char* group;
            const char* groupCaption;
            QList<std::pair<const char*, QString>> controls;
            const char* checked;
        };
        const QList<Expected> groups = {
            {"GroupBox2",
             "Include Headers",
             {{"RadioButtonHeaderYes", u"Yes"_s}, {"RadioButtonHeaderNo", u"No"_s}},
             "RadioButtonHeaderYes"},
            {"GroupBox1",
             "Columns",
             {{"CheckBox1", u"Name"_s},
              {"CheckBox3", u"Extension"_s},
              {"CheckBox4", u"Date"_s},
              {"CheckBox5", u"Size"_s}},
             "CheckBox1"},
            {"GroupBox3",
             "Output Filetype",
             {{"RadioButtonHTML", u"HTML"_s},
              {"RadioButtonTXT", u"TXT"_s},
              {"RadioButtonCSV", u"CSV"_s},
              {"RadioButtonXLS", u"XLS / XLSX"_s}},
             "RadioButtonHTML"},
            {"GroupBox4",
             "Treeview",
             {{"RadioButtonTreeviewYes", u"Yes"_s}, {"RadioButtonTreeviewNo", u"No"_s}},
             "RadioButtonTreeviewNo"},
        };
        QList<QWidget*> tabOrder;
        for (const Expected& g : groups) {
            auto* group = in<QGroupBox>(dialog, g.group);
            QVERIFY2(group, g.group);
            QCOMPARE(group->title(), QString::fromLatin1(g.groupCaption));
            for (const auto& [name, caption] : g.controls) {
                auto* button = group->findChild<QAbstractButton*>(QString::fromLatin1(name));
                QVERIFY2(button, name);
                QCOMPARE(button->text(), caption);
                QCOMPARE(button->isChecked(), qstrcmp(name, g.checked) == 0);
                QVERIFY(button->isEnabled());
                tabOrder.append(button);
            }
        }
        QCOMPARE(in<QPushButton>(dialog, "Button1")->text(), u"Save"_s);
        QCOMPARE(in<QPushButton>(dialog, "Button2")->text(), u"Cancel"_s);
        tabOrder << in<QPushButton>(dialog, "Button1") << in<QPushButton>(dialog, "Button2");

        // Tab walks the controls in this order.
        QWidget* w = tabOrder.constFirst();
        for (qsizetype i = 1; i < tabOrder.size(); ++i) {
            w = w->nextInFocusChain();
            while (!tabOrder.contains(w))
                w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), tabOrder.at(i)->objectName());
        }
        QVERIFY(!in<QProgressBar>(dialog, "ProgressBar")->isVisible());
    }

    // Every opening makes a new dialog with the defaults; Cancel and Escape close it, and it goes.
    void everyOpeningStartsAfresh()
    {
        ExportFixture f;
        f.addFiles(1);
        QPointer<TFormExport> first = f.open();
        in<QRadioButton>(first, "RadioButtonCSV")->setChecked(true);
        in<QCheckBox>(first, "CheckBox5")->setChecked(true);
        QPointer<TFormExport> second = f.open();
        QVERIFY(second && second != first);
        QVERIFY(first->isVisible() && second->isVisible());
        QVERIFY(in<QRadioButton>(second, "RadioButtonHTML")->isChecked());
        QVERIFY(!in<QCheckBox>(second, "CheckBox5")->isChecked());

        in<QPushButton>(first, "Button2")->click();
        QTest::keyClick(second, Qt::Key_Escape);
        QVERIFY(!first->isVisible() && !second->isVisible());
        QTRY_VERIFY(!first && !second);
    }

    void nameBoxEnablesTheTreeview()
    {
        ExportFixture f;
        f.addFiles(1);
        TFormExport* dialog = f.open();
        auto* name = in<QCheckBox>(dialog, "CheckBox1");
        auto* yes = in<QRadioButton>(dialog, "RadioButtonTreeviewYes");
        auto* no = in<QRadioButton>(dialog, "RadioButtonTreeviewNo");
        yes->setChecked(true);
        name->click();
        QVERIFY(!yes->isEnabled() && !no->isEnabled());
        QVERIFY(yes->isChecked());
        name->click();
        QVERIFY(yes->isEnabled() && no->isEnabled());
        QVERIFY(yes->isChecked());
    }

    void saveDialogs_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("extension");
        QTest::newRow("HTML") << u"RadioButtonHTML"_s << u"HTML File|*.html|Any File|*.*"_s << u"html"_s;
        QTest::newRow("TXT") << u"RadioButtonTXT"_s << u"Text File|*.txt|Any File|*.*"_s << u"txt"_s;
        QTest::newRow("CSV") << u"RadioButtonCSV"_s << u"CSV File|*.csv|Any File|*.*"_s << u"csv"_s;
        QTest::newRow("XLS / XLSX") << u"RadioButtonXLS"_s << u"XLS File|*.xls|XLSX File|*.xlsx|Any File|*.*"_s
                                    << u"xls"_s;
    }

    // Each output has its save dialog; cancelling it writes nothing and does not beep.
    void saveDialogs()
    {
        QFETCH(QString, output);
        QFETCH(QString, filter);
        QFETCH(QString, extension);
        ExportFixture f;
        f.addFiles(1);
        TFormExport* dialog = f.open();
        dialog->findChild<QRadioButton*>(output)->setChecked(true);
        f.dialogs.chooseNextSaveFile(std::nullopt);
        in<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(f.dialogs.saveRequests.size(), 1);
        QCOMPARE(f.dialogs.saveRequests.constFirst().filter, filter);
        QCOMPARE(f.dialogs.saveRequests.constFirst().defaultExtension, extension);
        QVERIFY(!dialog->isExporting());
        QCOMPARE(f.shell.beeps, 0);
        QVERIFY(dialog->isVisible());
    }

    // Save writes the list in its order, beeps, and leaves the dialog open with its settings for the next export.
    void saveTwice()
    {
        ExportFixture f;
        f.addFiles(3);
        f.records().sort(3, true); // by size, largest first
        TFormExport* dialog = f.open();
        in<QRadioButton>(dialog, "RadioButtonTXT")->setChecked(true);
        in<QCheckBox>(dialog, "CheckBox5")->setChecked(true);
        const QByteArray expected =
            textFile({u"Name\tSize"_s, u"/photos/f2.jpg\t2"_s, u"/photos/f1.jpg\t1"_s, u"/photos/f0.jpg\t0"_s});
        f.save(dialog, f.out.filePath(u"one.txt"_s));
        QCOMPARE(ReadWholeFile(f.out.filePath(u"one.txt"_s)), expected);
        QCOMPARE(f.shell.beeps, 1);
        QVERIFY(dialog->isVisible());
        f.save(dialog, f.out.filePath(u"two.txt"_s));
        QCOMPARE(ReadWholeFile(f.out.filePath(u"two.txt"_s)), expected);
        QCOMPARE(f.shell.beeps, 2);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // The list shrinks to nothing while the dialog is open: the page has no table.
    void listEmptiedWhileOpen()
    {
        ExportFixture f;
        f.addFiles(2);
        TFormExport* dialog = f.open();
        f.records().clear();
        f.save(dialog, f.out.filePath(u"empty.html"_s));
        const QByteArray page = ReadWholeFile(f.out.filePath(u"empty.html"_s));
        QVERIFY(page.contains("<body>\r\n<tr><th>Name</th></tr>\r\n</body>"));
        QVERIFY(!page.contains("<table>"));
    }

    // A text file that cannot be created goes to the general error report, without a beep; the dialog stays.
    void textFileCannotBeCreated()
    {
        ExportFixture f;
        f.addFiles(1);
        TFormExport* dialog = f.open();
        const QString file = f.out.filePath(u"missing/list.html"_s);
        f.save(dialog, file);
        QCOMPARE(f.dialogs.messages.size(), 1);
        const MessageBoxContent& box = f.dialogs.messages.constFirst();
        QVERIFY2(box.text.startsWith(u"Cannot create file \"%1\". "_s.arg(file)), qPrintable(box.text));
        QCOMPARE(box.type, DialogType::Error);
        QCOMPARE(f.shell.beeps, 0);
        QVERIFY(dialog->isVisible());
    }

    // A workbook that cannot be saved: the "WARNING" box with the reason, and the beep still follows.
    void spreadsheetFailureWarns()
    {
        ExportFixture f;
        f.addFiles(1);
        TFormExport* dialog = f.open();
        in<QRadioButton>(dialog, "RadioButtonXLS")->setChecked(true);
        const QString file = f.out.filePath(u"missing/list.xlsx"_s);
        f.save(dialog, file);
        QCOMPARE(f.dialogs.messages.size(), 1);
        const MessageBoxContent& box = f.dialogs.messages.constFirst();
        QCOMPARE(box.caption, u"WARNING"_s);
        QCOMPARE(box.type, DialogType::Warning);
        QVERIFY2(box.text.contains(file), qPrintable(box.text));
        QCOMPARE(box.buttons.size(), 1);
        QCOMPARE(f.shell.beeps, 1);
    }

    // A long export runs behind a progress bar with Save disabled; the window meanwhile answers.
    void progressWhileWriting()
    {
        ExportFixture f;
        f.addFiles(300000);
        TFormExport* dialog = f.open();
        in<QRadioButton>(dialog, "RadioButtonCSV")->setChecked(true);
        auto* save = in<QPushButton>(dialog, "Button1");
        auto* progress = in<QProgressBar>(dialog, "ProgressBar");
        f.dialogs.chooseNextSaveFile(f.out.filePath(u"long.csv"_s));
        save->click();
        QVERIFY(dialog->isExporting());
        QVERIFY(!save->isEnabled());
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->maximum(), 300000);
        QCOMPARE(progress->value(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isExporting(), 60000);
        QTRY_COMPARE(f.shell.beeps, 1);
        QVERIFY(save->isEnabled());
        QVERIFY(!progress->isVisible());
        QCOMPARE(ReadWholeFile(f.out.filePath(u"long.csv"_s)).count("\r\n"), 300001);
    }

    // Closing the dialog stops its export: the file there before stays, nothing beeps, and the dialog goes.
    void closingStopsTheExport()
    {
        ExportFixture f;
        f.addFiles(300000);
        const QString file = f.out.filePath(u"kept.csv"_s);
        QVERIFY(WriteWholeFile(file, "before"));
        QPointer<TFormExport> dialog = f.open();
        in<QRadioButton>(dialog, "RadioButtonCSV")->setChecked(true);
        f.dialogs.chooseNextSaveFile(file);
        in<QPushButton>(dialog, "Button1")->click();
        QVERIFY(dialog->isExporting());
        dialog->close();
        QVERIFY(!dialog->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, 30000);
        QCOMPARE(ReadWholeFile(file), QByteArray("before"));
        QCOMPARE(f.shell.beeps, 0);
        QCOMPARE(FolderEntries(f.out.path()), QStringList{u"kept.csv"_s});
    }

    // Closing the main window with an export running ends it too, and nothing is left half written.
    void closingTheWindowStopsTheExport()
    {
        ExportFixture f;
        f.addFiles(300000);
        TFormExport* dialog = f.open();
        f.dialogs.chooseNextSaveFile(f.out.filePath(u"gone.html"_s));
        in<QPushButton>(dialog, "Button1")->click();
        QVERIFY(dialog->isExporting());
        f.form.reset();
        const QStringList left = FolderEntries(f.out.path());
        QVERIFY2(left.isEmpty() || left == QStringList{u"gone.html"_s}, qPrintable(left.join(u' ')));
        const QByteArray page = ReadWholeFile(f.out.filePath(u"gone.html"_s));
        QVERIFY(page.isEmpty() || page.endsWith("</html>\r\n"));
    }

    // Save during a scan writes the files listed at that moment, while the scan goes on appending.
    void exportDuringAScan()
    {
        ExportFixture f;
        QTemporaryDir tree;
        QString deep = tree.path();
        for (int level = 0; level < 40; ++level) {
            deep += u"/level"_s + QString::number(level);
            for (int i = 0; i < 50; ++i)
                QVERIFY(WriteFileMakingFolders(deep + u"/f"_s + QString::number(i) + u".txt"_s, "x"));
        }
        f.dialogs.chooseNextFolder(tree.path());
        f.child<QPushButton>("BitBtn1")->click();
        f.addFiles(1, u"/first/"_s); // so that the dialog opens; the scan then begins a new list
        TFormExport* dialog = f.open();
        QVERIFY(dialog);
        in<QRadioButton>(dialog, "RadioButtonTXT")->setChecked(true);
        f.child<QPushButton>("Button1")->click();
        QCOMPARE(f.child<QPushButton>("Button1")->text(), u"STOP"_s);
        int exports = 0;
        while (f.child<QPushButton>("Button1")->text() == u"STOP"_s && exports < 50) {
            f.save(dialog, f.out.filePath(u"during.txt"_s));
            ++exports;
            const QList<QByteArray> lines = ReadWholeFile(f.out.filePath(u"during.txt"_s)).split('\n');
            for (const QByteArray& line : lines.sliced(1, lines.size() - 2))
                QVERIFY2(line.endsWith(".txt\r") || line.endsWith(".jpg\r"), line.constData());
        }
        QTRY_COMPARE_WITH_TIMEOUT(f.child<QPushButton>("Button1")->text(), u"Start"_s, 30000);
        QVERIFY(exports > 0);
        const int beeps = f.shell.beeps;
        f.save(dialog, f.out.filePath(u"after.txt"_s));
        QCOMPARE(ReadWholeFile(f.out.filePath(u"after.txt"_s)).count("\r\n"), qsizetype(f.records().size() + 1));
        QCOMPARE(f.shell.beeps, beeps + 1);
    }
};

QTEST_MAIN(TestExportWindow)
#include "tst_exportwindow.moc"
