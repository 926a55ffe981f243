#include "ui/app/commandcontext.h"

#include "core/app/dialogs.h"
#include "ui/app/errorreport.h"

#include <QAction>

void CommandContext::run(const std::function<void()>& command) const
{
    RunCommand(dialogs, command);
}

void CommandContext::bind(QAction* action, const QObject* owner, std::function<void()> command) const
{
    action->setEnabled(true);
    QObject::connect(action, &QAction::triggered, owner,
                     [&dialogs = dialogs, command = std::move(command)] { RunCommand(dialogs, command); });
}

void CommandContext::warn(const QString& text) const
{
    CustomMessageDialog(dialogs, text, DialogType::Warning, {DialogButton::OK}, QStringLiteral("Warning"),
                        {QStringLiteral("OK")});
}
