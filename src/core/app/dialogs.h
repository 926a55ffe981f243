#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The kind of a message box, which chooses its icon.
enum class DialogType
{
    Warning,
    Error,
    Information,
    Confirmation,
    Custom
};

// The standard buttons of a message box, in the order in which a box creates them.
enum class DialogButton
{
    Yes,
    No,
    OK,
    Cancel,
    Abort,
    Retry,
    Ignore,
    All,
    NoToAll,
    YesToAll,
    Help,
    Close
};

// Result codes of a modal box; the callers that ask a question act only on Yes.
namespace ModalResult {
constexpr int None = 0;
constexpr int OK = 1;
constexpr int Cancel = 2; // also what Escape gives
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
constexpr int Close = 8;
constexpr int Help = 9;
constexpr int All = 12;
constexpr int NoToAll = 13;
constexpr int YesToAll = 14;
} // namespace ModalResult

int ResultCodeOf(DialogButton button);
QString StandardButtonText(DialogButton button);

struct MessageBoxButton
{
    DialogButton button;
    QString text;
    int result;
};

// A modal message box ready to be shown: what the user sees and what each button answers.
struct MessageBoxContent
{
    QString text;
    QString caption;
    DialogType type = DialogType::Custom;
    QList<MessageBoxButton> buttons; // in the order they were created
    int defaultButton = -1;          // index into buttons, or -1
};

// Lays out the box that CustomMessageDialog shows: buttons in creation order with their standard texts, the k-th
// button renamed to the k-th of buttonCaptions while there is one, and OK, else Yes, else Retry as default button.
MessageBoxContent BuildCustomMessageDialog(const QString& msg, DialogType type, const QList<DialogButton>& buttons,
                                           const QString& caption, const QStringList& buttonCaptions);

// A box with the standard texts of its buttons, such as the plain boxes of drops and error reports.
MessageBoxContent BuildMessageBox(const QString& msg, DialogType type, const QList<DialogButton>& buttons,
                                  const QString& caption);

struct FolderRequest
{
    QString title;
    QString okText;
    QString startFolder;
};

struct SaveFileRequest
{
    QString title;
    QString filter; // description and pattern pairs separated by "|", e.g. "TXT File (*.txt)|*.txt|Any File (*.*)|*.*"
    QString defaultExtension; // without the dot; added when the user types a name without extension
    QString proposedName;     // a file name or a full path
};

struct SaveFileChoice
{
    QString path;
    bool replaceConfirmed = false; // the file existed and the user agreed to replace it
};

// Every modal box and file or folder dialog goes through this interface, so tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Shows the box modally and returns the result code of the button that closed it (Escape gives Cancel).
    virtual int showMessage(const MessageBoxContent& box) = 0;
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFolder(const FolderRequest& request) = 0;
    // The chosen file, or nothing when the user cancelled. The dialog asks before it lets the user choose an existing
    // file, and says whether it did.
    virtual std::optional<SaveFileChoice> chooseSaveFile(const SaveFileRequest& request) = 0;
};

// Shows the box of BuildCustomMessageDialog through dialogs and returns its result code.
int CustomMessageDialog(Dialogs& dialogs, const QString& msg, DialogType type, const QList<DialogButton>& buttons,
                        const QString& caption, const QStringList& buttonCaptions);
