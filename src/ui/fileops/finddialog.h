#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Find": a text box, Find Next and Cancel; not modal, and it keeps its text while hidden. Every press of Find Next
// asks for the rows whose name holds the text.
class TFindDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFindDialog)

public:
    explicit TFindDialog(QWidget* mainWindow);

    QString findText() const;

signals:
    void find(const QString& text);

private:
    QLineEdit* m_text;
    QPushButton* m_findNext;
    QPushButton* m_cancel;
};
