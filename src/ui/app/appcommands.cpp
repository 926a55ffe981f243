#include "ui/app/appcommands.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "ui/app/settingsfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

AppCommands::AppCommands(const CommandContext& context, const AppActions& actions, const Controls& controls,
                         QObject* parent)
    : QObject(parent), m_ctx(context), m_controls(controls)
{
    setObjectName(u"AppCommands"_s);
    m_ctx.bind(actions.Exit1, this, [this] { Exit1Click(); });
    m_ctx.bind(actions.ResettoDefaults1, this, [this] { ResettoDefaults1Click(); });
    m_ctx.bind(actions.Help2, this, [this] { Help2Click(); });
}

void AppCommands::Exit1Click()
{
    m_controls.mainWindow->close();
}

void AppCommands::ResettoDefaults1Click()
{
    const int answer = CustomMessageDialog(m_ctx.dialogs,
                                           u"Restart Application?\r\rYour settings will be deleted, and %1 will start "
                                           "again with its defaults."_s.arg(m_controls.values.productName),
                                           DialogType::Confirmation, {DialogButton::Yes, DialogButton::No},
                                           u"Confirmation"_s, {u"Yes"_s, u"No"_s});
    if (answer != ModalResult::Yes)
        return;
    QFile::remove(m_controls.values.settingsPath);
    // The ending copy must not write the store again, or the new copy would find the old settings.
    m_controls.settings.close();
    m_ctx.shell.startDetached(m_controls.values.programPath, {});
    m_controls.mainWindow->close();
    QCoreApplication::quit();
}

void AppCommands::Help2Click()
{
    const QString address = HelpAddress(m_controls.values.serviceHost, m_controls.values.productName);
    if (!address.isEmpty())
        m_ctx.shell.openUrl(QUrl(address));
}
