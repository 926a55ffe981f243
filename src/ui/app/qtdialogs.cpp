#include "ui/app/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

// What a title bar takes beside its caption: the window's icon, up to three buttons and the margins between them.
constexpr int kTitleBarAllowance = 140;

// A message box that answers Escape and its close box with Cancel (2), whatever buttons it has.
class EscapableMessageBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

    bool escaped = false;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            escaped = true;
            QDialog::reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        escaped = true;
        event->accept();
        QDialog::reject();
    }
};

QMessageBox::Icon iconOf(DialogType type)
{
    switch (type) {
    case DialogType::Warning:
        return QMessageBox::Warning;
    case DialogType::Error:
        return QMessageBox::Critical;
    case DialogType::Information:
        return QMessageBox::Information;
    case DialogType::Confirmation:
        return QMessageBox::Question;
    case DialogType::Custom:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

// Qt's own file dialog reads double quotes in a typed name as marks around several names and keeps one of them, so
// that a"b.txt became b.txt and a quoted path could lead the file into another folder. On Linux a double quote is
// a character of a name like any other: a typed name holding one is taken as it was typed, in the dialog's folder.
// Nothing when the dialog is the desktop's own, which does not do this, or no double quote was typed.
std::optional<QString> typedName(const QFileDialog& dialog, const QString& defaultExtension)
{
    const auto* edit = dialog.findChild<const QLineEdit*>(u"fileNameEdit"_s);
    if (!edit || !edit->text().contains(u'"'))
        return std::nullopt;
    QString path = dialog.directory().absoluteFilePath(edit->text());
    if (!defaultExtension.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + defaultExtension;
    return path;
}

QString withNewlines(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

int QtDialogs::showMessage(const MessageBoxContent& request)
{
    EscapableMessageBox box(QApplication::activeWindow());
    box.setIcon(iconOf(request.type));
    box.setWindowTitle(request.caption);
    box.setText(withNewlines(request.text));
    box.setTextFormat(Qt::PlainText);
    std::map<QAbstractButton*, int> results;
    for (qsizetype i = 0; i < request.buttons.size(); ++i) {
        const MessageBoxButton& b = request.buttons.at(i);
        QPushButton* button = box.addButton(b.text, QMessageBox::ActionRole);
        results[button] = b.result;
        if (i == request.defaultButton)
            box.setDefaultButton(button);
    }
    // A box of a short text is narrow, and the window manager would cut its caption short ("Wa...ing"): the box is
    // made wide enough for the caption in a bold title font beside an icon and the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont title = box.font();
        title.setBold(true);
        const int room = QFontMetrics(title).horizontalAdvance(request.caption) + kTitleBarAllowance;
        grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box.exec();
    if (box.escaped)
        return ModalResult::Cancel;
    const auto it = results.find(box.clickedButton());
    return it == results.end() ? ModalResult::Cancel : it->second;
}

std::optional<QString> QtDialogs::chooseFolder(const FolderRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, request.okText);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<SaveFileChoice> QtDialogs::chooseSaveFile(const SaveFileRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList nameFilters = QtNameFilters(request.filter);
    dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(request.defaultExtension);
    // A name typed without an extension gets the one of the chosen file type.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        dialog.setDefaultSuffix(FilterExtension(request.filter, nameFilters.indexOf(chosen), request.defaultExtension));
    });
    // The question is asked below, for the name with its default extension, and its answer is kept: a native
    // dialog may ask for the name as typed and add the extension afterwards.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString path = typedName(dialog, dialog.defaultSuffix()).value_or(dialog.selectedFiles().constFirst());
        if (!QFileInfo::exists(path))
            return SaveFileChoice{path, false};
        const MessageBoxContent question =
            BuildMessageBox(u"%1 already exists.\nDo you want to replace it?"_s.arg(QFileInfo(path).fileName()),
                            DialogType::Confirmation, {DialogButton::Yes, DialogButton::No}, dialog.windowTitle());
        if (showMessage(question) == ModalResult::Yes)
            return SaveFileChoice{path, true};
        dialog.selectFile(path);
    }
}

QStringList QtNameFilters(const QString& filter)
{
    static const QRegularExpression trailingPatterns(uR"(\s*\([^()]*\)\s*$)"_s);
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        description.remove(trailingPatterns);
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p == u"*.*"_s)
                p = u"*"_s;
        }
        filters.append(description + u" ("_s + patterns.join(u' ') + u')');
    }
    return filters;
}

QString FilterExtension(const QString& filter, qsizetype index, const QString& defaultExtension)
{
    const QStringList parts = filter.split(u'|');
    if (index < 0 || 2 * index + 1 >= parts.size())
        return defaultExtension;
    static const QRegularExpression oneExtension(u"^\\*\\.([^*?.;\\[\\]]+)$"_s);
    const QRegularExpressionMatch match = oneExtension.match(parts.at(2 * index + 1));
    return match.hasMatch() ? match.captured(1) : defaultExtension;
}
