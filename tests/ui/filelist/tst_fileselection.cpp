#include "ui/filelist/fileselection.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// What a user does to a row: a click (with modifiers), a right click, a drag from the row to another, a key.
struct Step
{
    enum Kind
    {
        Click,
        RightClick,
        Drag,
        Key
    } kind;
    int row = 0;
    Qt::KeyboardModifiers modifiers = {};
    int toRowOrKey = 0;
};
using Steps = QList<Step>;

// The same list twice: once with Qt's own selection model, once with the file list's. Both views show one model, so a
// change of the model reaches both.
struct TwoLists
{
    QStandardItemModel model{20, 3};
    QWidget window;
    QTableView* stock = new QTableView(&window);
    QTableView* ours = new QTableView(&window);
    FileListSelection* selection = new FileListSelection(&model, ours);

    TwoLists()
    {
        for (int row = 0; row < model.rowCount(); ++row) {
            for (int column = 0; column < model.columnCount(); ++column)
                model.setItem(row, column, new QStandardItem(u"file %1 column %2"_s.arg(row).arg(column)));
        }
        auto* layout = new QHBoxLayout(&window);
        for (QTableView* view : {stock, ours}) {
            view->setModel(&model);
            view->setSelectionBehavior(QAbstractItemView::SelectRows);
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
            view->setEditTriggers(QAbstractItemView::NoEditTriggers);
            view->verticalHeader()->hide();
            view->verticalHeader()->setDefaultSectionSize(20);
            view->setFixedSize(400, 460);
            layout->addWidget(view);
        }
        selection->attach(*ours);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("the window did not show");
    }

    static QPoint centreOf(QTableView* view, int row)
    {
        return view->visualRect(view->model()->index(row, 1)).center();
    }

    void perform(QTableView* view, const Step& step)
    {
        QWidget* viewport = view->viewport();
        switch (step.kind) {
        case Step::Click:
            QTest::mouseClick(viewport, Qt::LeftButton, step.modifiers, centreOf(view, step.row));
            break;
        case Step::RightClick:
            QTest::mouseClick(viewport, Qt::RightButton, step.modifiers, centreOf(view, step.row));
            break;
        case Step::Drag: {
            QTest::mousePress(viewport, Qt::LeftButton, step.modifiers, centreOf(view, step.row));
            QMouseEvent move(QEvent::MouseMove, centreOf(view, step.toRowOrKey),
                             viewport->mapToGlobal(centreOf(view, step.toRowOrKey)), Qt::NoButton, Qt::LeftButton,
                             step.modifiers);
            QApplication::sendEvent(viewport, &move);
            QTest::mouseRelease(viewport, Qt::LeftButton, step.modifiers, centreOf(view, step.toRowOrKey));
            break;
        }
        case Step::Key:
            view->setFocus();
            QTest::keyClick(view, Qt::Key(step.toRowOrKey), step.modifiers);
            break;
        }
    }

    std::vector<int> stockRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& index : stock->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

QString text(const std::vector<int>& rows)
{
    QStringList parts;
    for (const int row : rows)
        parts.append(QString::number(row));
    return parts.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(Steps)

class TestFileSelection : public QObject
{
    Q_OBJECT

private slots:
    // Clicks, drags and keys select what they select with Qt's own selection model.
    void likeQtsModel_data()
    {
        QTest::addColumn<Steps>("steps");
        const auto ctrl = Qt::ControlModifier;
        const auto shift = Qt::ShiftModifier;
        QTest::newRow("click, another click") << Steps{{Step::Click, 2}, {Step::Click, 5}};
        QTest::newRow("Ctrl+click adds, Ctrl+click on a selected row removes")
            << Steps{{Step::Click, 2}, {Step::Click, 4, ctrl}, {Step::Click, 6, ctrl}, {Step::Click, 2, ctrl}};
        QTest::newRow("Shift+click from the anchor, then another")
            << Steps{{Step::Click, 3}, {Step::Click, 8, shift}, {Step::Click, 1, shift}};
        QTest::newRow("Ctrl+click after Shift+click keeps the run")
            << Steps{{Step::Click, 3}, {Step::Click, 6, shift}, {Step::Click, 4, ctrl}, {Step::Click, 10, shift}};
        QTest::newRow("right click on a selected row keeps the selection")
            << Steps{{Step::Click, 1}, {Step::Click, 5, shift}, {Step::RightClick, 3}};
        QTest::newRow("right click on another row selects it")
            << Steps{{Step::Click, 1}, {Step::Click, 5, shift}, {Step::RightClick, 9}};
        QTest::newRow("click on a selected row of several")
            << Steps{{Step::Click, 1}, {Step::Click, 5, shift}, {Step::Click, 3}};
        QTest::newRow("drag") << Steps{{Step::Drag, 2, {}, 6}};
        QTest::newRow("Ctrl+drag over selected rows")
            << Steps{{Step::Click, 1}, {Step::Click, 4, shift}, {Step::Drag, 3, ctrl, 7}};
        QTest::newRow("keys") << Steps{{Step::Click, 2},
                                       {Step::Key, 0, shift, Qt::Key_Down},
                                       {Step::Key, 0, shift, Qt::Key_Down},
                                       {Step::Key, 0, ctrl, Qt::Key_Down},
                                       {Step::Key, 0, ctrl, Qt::Key_Space},
                                       {Step::Key, 0, {}, Qt::Key_Up}};
    }

    void likeQtsModel()
    {
        QFETCH(Steps, steps);
        TwoLists lists;
        for (qsizetype k = 0; k < steps.size(); ++k) {
            lists.perform(lists.stock, steps[k]);
            lists.perform(lists.ours, steps[k]);
            QVERIFY2(lists.selection->rows().rows() == lists.stockRows(),
                     qPrintable(u"after step %1: %2 instead of %3"_s.arg(k + 1).arg(
                         text(lists.selection->rows().rows()), text(lists.stockRows()))));
        }
        QCOMPARE(lists.ours->currentIndex().row(), lists.stock->currentIndex().row());
        QVERIFY(!lists.stockRows().empty());
    }

    // The selected rows look as they do with Qt's model, in every column.
    void painting()
    {
        TwoLists lists;
        // The same current row, and no focus, in both.
        for (QTableView* view : {lists.stock, lists.ours}) {
            view->clearFocus();
            view->selectionModel()->setCurrentIndex(lists.model.index(4, 0), QItemSelectionModel::NoUpdate);
        }
        const std::vector<int> rows{1, 3, 4, 5, 9};
        for (const int row : rows)
            lists.stock->selectionModel()->select(lists.model.index(row, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        lists.selection->setRows(RowSelection::ofRows(rows));
        QCOMPARE(lists.selection->rows().rows(), lists.stockRows());
        const QImage stock = lists.stock->viewport()->grab().toImage();
        const QImage ours = lists.ours->viewport()->grab().toImage();
        QVERIFY(!stock.isNull());
        QCOMPARE(ours, stock);
    }

    // Rows leaving or joining the list move the selection with them; a reset clears it.
    void modelChanges()
    {
        TwoLists lists;
        const std::vector<int> rows{0, 2, 3, 7, 8, 12};
        for (const int row : rows)
            lists.stock->selectionModel()->select(lists.model.index(row, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        lists.selection->setRows(RowSelection::ofRows(rows));
        lists.model.removeRows(2, 1);
        lists.model.removeRows(6, 3);
        QCOMPARE(lists.selection->rows().rows(), lists.stockRows());
        // Rows before a run and at the end: the selection moves down with the rows after the new ones.
        lists.model.insertRows(0, 2);
        lists.model.insertRows(lists.model.rowCount(), 4);
        QCOMPARE(lists.selection->rows().rows(), lists.stockRows());
        QCOMPARE(lists.selection->rows().rows(), (std::vector<int>{2, 4, 10}));

        QSignalSpy changes(lists.selection, &QItemSelectionModel::selectionChanged);
        lists.model.clear();
        QVERIFY(lists.selection->rows().empty());
        QVERIFY(changes.isEmpty());
    }

    void removals_data()
    {
        QTest::addColumn<std::vector<int>>("selected");
        QTest::addColumn<int>("first"); // the first removed row
        QTest::addColumn<int>("count");
        QTest::addColumn<std::vector<int>>("after");
        QTest::addColumn<int>("told"); // selection changes signalled: the pane follows them
        QTest::newRow("before every selected row") << std::vector<int>{5, 6} << 0 << 2 << std::vector<int>{3, 4} << 1;
        QTest::newRow("the last selected row") << std::vector<int>{1, 4} << 4 << 1 << std::vector<int>{1} << 1;
        QTest::newRow("the only selected row and more") << std::vector<int>{4} << 4 << 3 << std::vector<int>{} << 1;
        QTest::newRow("inside a run") << std::vector<int>{3, 4, 5} << 4 << 1 << std::vector<int>{3, 4} << 1;
        QTest::newRow("just after the last selected row")
            << std::vector<int>{1, 4} << 5 << 2 << std::vector<int>{1, 4} << 0;
        QTest::newRow("nothing selected") << std::vector<int>{} << 0 << 3 << std::vector<int>{} << 0;
    }

    // A removal moves the selection as Qt's own model does, and tells of it only when a selected row moved or went.
    void removals()
    {
        QFETCH(std::vector<int>, selected);
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(std::vector<int>, after);
        QFETCH(int, told);
        TwoLists lists;
        for (const int row : selected)
            lists.stock->selectionModel()->select(lists.model.index(row, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        lists.selection->setRows(RowSelection::ofRows(selected));
        QSignalSpy changes(lists.selection, &QItemSelectionModel::selectionChanged);
        lists.model.removeRows(first, count);
        QCOMPARE(lists.selection->rows().rows(), after);
        QCOMPARE(lists.stockRows(), after);
        QCOMPARE(changes.size(), told);
    }

    // One signal per change, naming the span of rows whose state changed.
    void changeSignal()
    {
        TwoLists lists;
        QSignalSpy changes(lists.selection, &QItemSelectionModel::selectionChanged);
        lists.selection->setRows(RowSelection::ofRows({4, 9}));
        lists.selection->setRows(RowSelection::ofRows({4, 6}));
        lists.selection->setRows(RowSelection::ofRows({4, 6}));
        lists.selection->clearRows();
        QCOMPARE(changes.size(), 3);
        const auto span = [&](int k) {
            const QItemSelection selected = changes.at(k).at(0).value<QItemSelection>();
            return selected.size() == 1 ? std::pair(selected.first().top(), selected.first().bottom())
                                        : std::pair(-1, -1);
        };
        QCOMPARE(span(0), std::pair(4, 9));
        QCOMPARE(span(1), std::pair(6, 9));
        QCOMPARE(span(2), std::pair(4, 6));
    }
};

QTEST_MAIN(TestFileSelection)
#include "tst_fileselection.moc"
