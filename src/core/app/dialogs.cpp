#include "core/app/dialogs.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array kCreationOrder = {
    DialogButton::Yes,     DialogButton::No,       DialogButton::OK,     DialogButton::Cancel,
    DialogButton::Abort,   DialogButton::Retry,    DialogButton::Ignore, DialogButton::All,
    DialogButton::NoToAll, DialogButton::YesToAll, DialogButton::Help,   DialogButton::Close,
};

} // namespace

int ResultCodeOf(DialogButton button)
{
    switch (button) {
    case DialogButton::Yes:
        return ModalResult::Yes;
    case DialogButton::No:
        return ModalResult::No;
    case DialogButton::OK:
        return ModalResult::OK;
    case DialogButton::Cancel:
        return ModalResult::Cancel;
    case DialogButton::Abort:
        return ModalResult::Abort;
    case DialogButton::Retry:
        return ModalResult::Retry;
    case DialogButton::Ignore:
        return ModalResult::Ignore;
    case DialogButton::All:
        return ModalResult::All;
    case DialogButton::NoToAll:
        return ModalResult::NoToAll;
    case DialogButton::YesToAll:
        return ModalResult::YesToAll;
    case DialogButton::Help:
        return ModalResult::Help;
    case DialogButton::Close:
        return ModalResult::Close;
    }
    return ModalResult::None;
}

QString StandardButtonText(DialogButton button)
{
    switch (button) {
    case DialogButton::Yes:
        return QStringLiteral("&Yes");
    case DialogButton::No:
        return QStringLiteral("&No");
    case DialogButton::OK:
        return QStringLiteral("OK");
    case DialogButton::Cancel:
        return QStringLiteral("Cancel");
    case DialogButton::Abort:
        return QStringLiteral("&Abort");
    case DialogButton::Retry:
        return QStringLiteral("&Retry");
    case DialogButton::Ignore:
        return QStringLiteral("&Ignore");
    case DialogButton::All:
        return QStringLiteral("&All");
    case DialogButton::NoToAll:
        return QStringLiteral("N&o to All");
    case DialogButton::YesToAll:
        return QStringLiteral("Yes to &All");
    case DialogButton::Help:
        return QStringLiteral("&Help");
    case DialogButton::Close:
        return QStringLiteral("&Close");
    }
    return {};
}

MessageBoxContent BuildMessageBox(const QString& msg, DialogType type, const QList<DialogButton>& buttons,
                                  const QString& caption)
{
    return BuildCustomMessageDialog(msg, type, buttons, caption, {});
}

MessageBoxContent BuildCustomMessageDialog(const QString& msg, DialogType type, const QList<DialogButton>& buttons,
                                           const QString& caption, const QStringList& buttonCaptions)
{
    MessageBoxContent box;
    box.text = msg;
    box.caption = caption;
    box.type = type;
    for (DialogButton button : kCreationOrder) {
        if (buttons.contains(button))
            box.buttons.append({button, StandardButtonText(button), ResultCodeOf(button)});
    }
    for (qsizetype k = 0; k < box.buttons.size() && k < buttonCaptions.size(); ++k)
        box.buttons[k].text = buttonCaptions.at(k);

    const auto indexOf = [&box](DialogButton wanted) {
        const auto it = std::find_if(box.buttons.cbegin(), box.buttons.cend(),
                                     [wanted](const MessageBoxButton& b) { return b.button == wanted; });
        return it == box.buttons.cend() ? -1 : int(it - box.buttons.cbegin());
    };
    box.defaultButton = indexOf(DialogButton::OK);
    if (box.defaultButton < 0)
        box.defaultButton = indexOf(DialogButton::Yes);
    if (box.defaultButton < 0)
        box.defaultButton = indexOf(DialogButton::Retry);
    return box;
}

int CustomMessageDialog(Dialogs& dialogs, const QString& msg, DialogType type, const QList<DialogButton>& buttons,
                        const QString& caption, const QStringList& buttonCaptions)
{
    return dialogs.showMessage(BuildCustomMessageDialog(msg, type, buttons, caption, buttonCaptions));
}
