#include "ui/app/application.h"

#include "core/app/appvalues.h"
#include "core/app/dialogs.h"
#include "core/base/errors.h"
#include "ui/app/qtdialogs.h"

TagscopeApplication::TagscopeApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TagscopeApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString text = ErrorReportText(std::current_exception());
        if (!text.isEmpty()) {
            QtDialogs dialogs;
            dialogs.showMessage(BuildMessageBox(text, DialogType::Error, {DialogButton::OK}, ApplicationTitle()));
        }
        return false;
    }
}
