#include "ui/fileops/renamefileform.h"

#include "core/base/filenames.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "core/fileops/fileops.h"
#include "ui/app/commandcontext.h"
#include "ui/app/dialogcentring.h"
#include "ui/filelist/filelistparts.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// The name box. Taking the focus by a window's activation selects a line edit's whole text when nothing of it is
// selected; the box instead keeps the selection the window gave it, also an empty one.
class NameEdit final : public QLineEdit
{
public:
    NameEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent)
    {
        // Once the user types, the focus no longer brings the first selection back.
        connect(this, &QLineEdit::textEdited, this, [this] { m_keepOnFocus = false; });
    }

    void selectStem()
    {
        const int stem = int(StemLength(text()));
        if (stem > 0)
            setSelection(0, stem);
        else
            setCursorPosition(0);
        m_keepOnFocus = true;
    }

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        if (std::exchange(m_keepOnFocus, false))
            selectStem();
    }

private:
    bool m_keepOnFocus = false;
};

} // namespace

TFormRenameFile::TFormRenameFile(const CommandContext& context, const FileListParts& list, const QString& folder,
                                 const QString& name, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      m_ctx(context), m_list(list), m_folder(folder), m_name(name)
{
    setObjectName(u"FormRenameFile"_s);
    setWindowTitle(u"Rename File"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    Label1 = new QLabel(u"Directory:"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label2 = new QLabel(QDir::toNativeSeparators(ShownFileName(folder)), this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setToolTip(Label2->text());
    // A long folder must not widen the window; the tool tip shows it whole.
    Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label3 = new QLabel(u"Filename:"_s, this);
    Label3->setObjectName(u"Label3"_s);
    Edit1 = new NameEdit(ShownFileName(name), this);
    Edit1->setObjectName(u"Edit1"_s);
    Button1 = new QPushButton(u"OK"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button2 = new QPushButton(u"Cancel"_s, this);
    Button2->setObjectName(u"Button2"_s);
    // Enter in the name box is OK; Escape is Cancel (QDialog's own).
    Button1->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Label2, 0, 1, 1, 3);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(Button1, 1, 2);
    grid->addWidget(Button2, 1, 3);
    grid->setColumnStretch(1, 1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    setFixedSize(677, 90);
    CentreOnMainWindowScreen(this, mainWindow);

    connect(Button1, &QPushButton::clicked, this, [this] { m_ctx.run([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    // Focused before the window shows, so that showing it does not select the whole name.
    Edit1->setFocus();
}

void TFormRenameFile::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The window shows again when it is restored or mapped anew (after the main window was minimised, say), and by
    // then the user may have typed the new name.
    if (!std::exchange(m_shown, true))
        FormShow();
}

void TFormRenameFile::FormShow()
{
    // What this window renames was fixed when it was made, just before it first showed: the labels show it, but
    // a name that is not UTF-8 cannot be read back from them.
    Edit1->setFocus();
    // Typing replaces the stem and keeps the extension; a name such as ".profile" has no stem to select.
    static_cast<NameEdit*>(Edit1)->selectStem();
}

void TFormRenameFile::Button2Click()
{
    close();
}

void TFormRenameFile::Button1Click()
{
    const QString typed = Edit1->text();
    const QString oldPath = m_folder + m_name;
    const QString newPath = m_folder + typed;
    // Only the exact name counts as unchanged: another case of a letter is another name.
    if (typed == ShownFileName(m_name)) {
        close();
        return;
    }
    if (const QString problem = RenameProblem(typed); !problem.isEmpty()) {
        m_ctx.warn(problem);
        return;
    }

    // Every row that lists the file, in the list as it is now.
    std::vector<int> rows;
    {
        const FileRecords::Reader list = m_list.records.read();
        const int shown = std::min(m_list.model.rowCount(), int(list.size()));
        for (int i = 0; i < shown; ++i) {
            if (list[std::size_t(i)].fullNameEquals(oldPath))
                rows.push_back(i);
        }
    }
    // The file's row was removed meanwhile: there is nothing to rename.
    if (rows.empty()) {
        close();
        return;
    }
    QString failure;
    bool renamed = false;
    for (const int row : rows) {
        // Once the file has moved, a second row of the same path keeps it: that file is no longer there.
        if (renamed)
            break;
        failure = RenameFileTo(oldPath, typed);
        if (failure.isEmpty()) {
            renamed = true;
            m_list.model.renameRecord(row, newPath);
        }
    }
    if (!renamed) {
        m_ctx.warn(u"\"%1\" cannot be renamed to \"%2\".\r\r%3"_s.arg(QDir::toNativeSeparators(ShownFileName(oldPath)),
                                                                      typed, failure));
        Edit1->setFocus();
        return;
    }
    close();
}
