#include "ui/app/errorreport.h"

#include "core/app/appvalues.h"
#include "core/app/dialogs.h"
#include "core/base/errors.h"

void ShowErrorReport(Dialogs& dialogs, const std::exception_ptr& error)
{
    const QString text = ErrorReportText(error);
    if (text.isEmpty())
        return;
    dialogs.showMessage(BuildMessageBox(text, DialogType::Error, {DialogButton::OK}, ApplicationTitle()));
}

void RunCommand(Dialogs& dialogs, const std::function<void()>& command)
{
    try {
        command();
    } catch (...) {
        ShowErrorReport(dialogs, std::current_exception());
    }
}
