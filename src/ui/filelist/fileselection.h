#pragma once

#include "core/filelist/rowselection.h"

#include <QItemSelectionModel>

class QAbstractItemView;

// The file list's selection, held as runs of rows (RowSelection) instead of Qt's ranges of persistent indexes. Qt's
// model keeps two persistent indexes per range and finds a cell by walking every range, so with every other row of a
// million selected an invert built a million persistent indexes and each repaint walked half a million ranges per cell.
// Here inverting, combining and painting cost the number of runs, or its logarithm.
//
// The view's clicks, drags and keys still arrive through select(), with the flags Qt's views use (Clear, Select,
// Deselect, Toggle, Current), and behave as in Qt's model; a selection always covers whole rows. Qt's own queries
// (isSelected(), selection(), selectedRows()) are not virtual, so they see only a mirror: the row last pressed with the
// mouse and the current row, when selected. That is what the view asks about when it decides what a click does;
// everything else reads rows(). The delegate installed by attach() paints from rows().
//
// selectionChanged() is sent with one range in `selected`: the span from the first to the last row whose state
// changed, whichever way. Receivers read rows() for the selection itself.
class FileListSelection : public QItemSelectionModel
{
    Q_OBJECT

public:
    explicit FileListSelection(QAbstractItemModel* model, QObject* parent = nullptr);

    // Makes this the selection of view (which shows this model) and paints the selected rows from it; the view's
    // previous selection model is deleted when the view owned it.
    void attach(QAbstractItemView& view);

    const RowSelection& rows() const { return m_rows; }
    // Selects exactly rows, which must lie within the list.
    void setRows(RowSelection rows);
    void clearRows() { setRows({}); }
    // Qt's clearSelection() is not virtual and sees only the mirror; called on this type it clears the rows.
    void clearSelection() { clearRows(); }

    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
    void clear() override;
    void reset() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Operation
    {
        Select,
        Deselect,
        Toggle
    };

    // The committed rows with the current operation applied.
    RowSelection combined() const;
    // Works out the selection from the committed rows and the current operation, mirrors it and announces a change.
    void update();
    // Replaces the selection with rows and announces the change of the rows from..to (clamped to the list).
    void replace(RowSelection rows, int from, int to);
    // Qt's part of the selection: the probe rows, where selected.
    void mirror();
    void onRowsInserted(const QModelIndex& parent, int first, int last);
    void onRowsRemoved(const QModelIndex& parent, int first, int last);

    QAbstractItemView* m_view = nullptr;
    QObject* m_viewport = nullptr; // where the view's mouse events arrive
    // The selection as Qt's model builds it: committed rows, and the rows of the last command with Current, which a
    // drag or a Shift+click replaces until the next command without Current commits them.
    RowSelection m_committed;
    RowSelection m_current;
    Operation m_currentOperation = Operation::Select;
    RowSelection m_rows;
    int m_pressedRow = -1;
};
