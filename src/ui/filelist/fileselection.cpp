#include "ui/filelist/fileselection.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace {

// Paints a row as selected when the file list's selection holds it.
class SelectionDelegate : public QStyledItemDelegate
{
public:
    SelectionDelegate(const FileListSelection& selection, QObject* parent)
        : QStyledItemDelegate(parent), m_selection(selection)
    {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state.setFlag(QStyle::State_Selected, m_selection.rows().contains(index.row()));
    }

private:
    const FileListSelection& m_selection;
};

// The rows a selection of Qt's covers, whatever its columns.
RowSelection rowsOf(const QItemSelection& selection)
{
    std::vector<RowRange> ranges;
    ranges.reserve(std::size_t(selection.size()));
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid() && !range.parent().isValid())
            ranges.push_back({range.top(), range.bottom()});
    }
    return RowSelection(std::move(ranges));
}

} // namespace

FileListSelection::FileListSelection(QAbstractItemModel* model, QObject* parent) : QItemSelectionModel(model, parent)
{
    connect(model, &QAbstractItemModel::rowsInserted, this, &FileListSelection::onRowsInserted);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FileListSelection::onRowsRemoved);
    // A reset leaves no row to hold; a sort keeps the selected positions (the model moves no persistent index).
    connect(model, &QAbstractItemModel::modelReset, this, &FileListSelection::reset);
    connect(this, &QItemSelectionModel::currentChanged, this, &FileListSelection::mirror);
}

void FileListSelection::attach(QAbstractItemView& view)
{
    m_view = &view;
    m_viewport = view.viewport();
    QItemSelectionModel* previous = view.selectionModel();
    view.setSelectionModel(this);
    if (previous && previous != this && previous->parent() == &view)
        delete previous;
    view.setItemDelegate(new SelectionDelegate(*this, &view));
    view.viewport()->installEventFilter(this);
}

void FileListSelection::setRows(RowSelection rows)
{
    m_committed = std::move(rows);
    m_current = {};
    update();
}

void FileListSelection::select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command)
{
    select(QItemSelection(index, index), command);
}

void FileListSelection::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    if (command == NoUpdate)
        return;
    // The steps of Qt's model: clear, commit the previous current rows unless this command replaces them, then make
    // these the current rows.
    if (command & Clear) {
        m_committed = {};
        m_current = {};
    }
    if (!(command & Current)) {
        m_committed = combined();
        m_current = {};
    }
    if (command & (Select | Deselect | Toggle)) {
        m_current = rowsOf(selection);
        m_currentOperation = command & Deselect ? Operation::Deselect
                             : command & Toggle ? Operation::Toggle
                                                : Operation::Select;
    }
    update();
}

void FileListSelection::clear()
{
    clearRows();
    clearCurrentIndex();
}

void FileListSelection::reset()
{
    // As Qt's reset: nothing selected, no current row, and no signal.
    m_committed = {};
    m_current = {};
    m_rows = {};
    m_pressedRow = -1;
    QItemSelectionModel::reset();
}

bool FileListSelection::eventFilter(QObject* watched, QEvent* event)
{
    // Before the view handles a press, the mirror learns whether the pressed row is selected: the view asks Qt's model
    // that to tell a click that keeps a selection (a right click for the menu) from one that replaces it, and whether
    // a Ctrl+click selects or deselects.
    // The event's type is looked at first: while the view is destroyed its viewport still sends events here, and the
    // view may no longer be asked anything.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) && m_view &&
        watched == m_viewport) {
        const QModelIndex index = m_view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        m_pressedRow = index.isValid() ? index.row() : -1;
        mirror();
    }
    return QItemSelectionModel::eventFilter(watched, event);
}

RowSelection FileListSelection::combined() const
{
    if (m_current.empty())
        return m_committed;
    switch (m_currentOperation) {
    case Operation::Select:
        return m_committed.united(m_current);
    case Operation::Deselect:
        return m_committed.subtracted(m_current);
    case Operation::Toggle:
        return m_committed.toggled(m_current);
    }
    return m_committed;
}

void FileListSelection::update()
{
    RowSelection rows = combined();
    const std::optional<RowRange> changed = ChangedRows(m_rows, rows);
    if (!changed) {
        mirror();
        return;
    }
    replace(std::move(rows), changed->first, changed->last);
}

void FileListSelection::replace(RowSelection rows, int from, int to)
{
    m_rows = std::move(rows);
    mirror();
    const QAbstractItemModel* list = model();
    from = std::max(from, 0);
    to = std::min(to, list->rowCount() - 1);
    QItemSelection span;
    if (from <= to)
        span.select(list->index(from, 0), list->index(to, list->columnCount() - 1));
    emit selectionChanged(span, QItemSelection());
}

void FileListSelection::mirror()
{
    const QAbstractItemModel* list = model();
    const int lastColumn = list->columnCount() - 1;
    QItemSelection probes;
    for (const int row : {m_pressedRow, currentIndex().row()}) {
        if (row >= 0 && row < list->rowCount() && m_rows.contains(row))
            probes.select(list->index(row, 0), list->index(row, lastColumn));
    }
    const QSignalBlocker quiet(this);
    QItemSelectionModel::select(probes, ClearAndSelect);
}

void FileListSelection::onRowsInserted(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    const int count = last - first + 1;
    if (m_pressedRow >= first)
        m_pressedRow += count;
    // Rows appended after every selected row, as a scan does, change nothing.
    const auto endsBefore = [first](const RowSelection& rows) {
        return rows.empty() || rows.ranges().back().last < first;
    };
    if (endsBefore(m_committed) && endsBefore(m_current))
        return;
    m_committed.insertRows(first, count);
    m_current.insertRows(first, count);
    replace(combined(), first, model()->rowCount() - 1);
}

void FileListSelection::onRowsRemoved(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    const bool affected = !m_rows.empty() && m_rows.ranges().back().last >= first;
    m_committed.removeRows(first, last);
    m_current.removeRows(first, last);
    if (m_pressedRow > last)
        m_pressedRow -= last - first + 1;
    else if (m_pressedRow >= first)
        m_pressedRow = -1;
    if (affected) {
        replace(combined(), first, model()->rowCount() - 1);
    } else {
        m_rows = combined();
        mirror();
    }
}
