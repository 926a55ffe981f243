#pragma once

#include "ui/filelist/filelistparts.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
struct CommandContext;

// "Rename File": edits the name of one listed file. The window remembers the folder and the name it was opened with;
// OK renames that file, wherever it now stands in the list, and updates every row that lists it. A rename that fails
// says why and leaves the window open with the typed name. Not modal: each "Rename..." opens another one.
class TFormRenameFile final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormRenameFile)

public:
    TFormRenameFile(const CommandContext& context, const FileListParts& list, const QString& folder,
                    const QString& name, QWidget* mainWindow);

    void FormShow();
    void Button1Click();
    void Button2Click();

    QLineEdit* edit() const { return Edit1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    const CommandContext& m_ctx;
    const FileListParts m_list;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    // The folder (with its trailing separator) and the name the window was opened with.
    QString m_folder;
    QString m_name;
    bool m_shown = false; // the window has shown once
};
