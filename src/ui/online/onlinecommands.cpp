#include "ui/online/onlinecommands.h"

#include "core/app/appvalues.h"
#include "core/app/serviceaddress.h"
#include "core/platform/machineid.h"
#include "ui/online/aboutbox.h"
#include "ui/online/checker.h"
#include "ui/online/feedbackform.h"
#include "ui/online/newversion.h"

#include <QAction>
#include <QDate>

using namespace Qt::Literals::StringLiterals;

OnlineCommands::OnlineCommands(const CommandContext& context, const OnlineActions& actions, const Controls& controls,
                               QObject* parent)
    : QObject(parent), m_ctx(context), m_actions(actions), m_controls(controls)
{
    setObjectName(u"OnlineCommands"_s);
    // Disabled and checked until the check has read the setting.
    m_actions.UpdateNotifications1->setEnabled(false);
    m_actions.UpdateNotifications1->setChecked(true);
    connect(m_actions.UpdateNotifications1, &QAction::triggered, this,
            [this](bool checked) { m_ctx.run([this, checked] { UpdateNotifications1Click(checked); }); });
    m_ctx.bind(m_actions.SendFeedback1, this, [this] { SendFeedback1Click(); });
    m_ctx.bind(m_actions.About1, this, [this] { About1Click(); });

    TimerChecker.setInterval(1000);
    connect(&TimerChecker, &QTimer::timeout, this, [this] { TimerCheckerTimer(); });
    if (m_controls.checkForUpdates)
        TimerChecker.start();
}

OnlineCommands::~OnlineCommands()
{
    if (m_checker) {
        m_cancel = true;
        m_checker->wait();
    }
}

QString OnlineCommands::storePath() const
{
    return UpdateStorePath(m_controls.configHome, m_controls.values.companyName, m_controls.values.applicationName);
}

CheckEnvironment OnlineCommands::checkEnvironment() const
{
    const AppValues& values = m_controls.values;
    CheckEnvironment environment;
    environment.serviceHost = values.serviceHost;
    environment.applicationName = values.applicationName;
    environment.versionText = values.versionText;
    environment.storePath = storePath();
    environment.today = values.locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    environment.osText = OperatingSystemText();
    environment.localeName = LocaleNameOf(values.locale.name());
    environment.machineGuid = MachineGuid();
    environment.timeoutSeconds = m_controls.checkTimeoutSeconds;
    environment.cancel = &m_cancel;
    return environment;
}

void OnlineCommands::TimerCheckerTimer()
{
    if (!m_checkStarted) {
        m_checkStarted = true;
        m_checker = std::make_unique<TChecker>(checkEnvironment(), m_state);
        m_checker->start();
        return;
    }
    if (!isCheckDone())
        return;
    TimerChecker.stop();
    const CheckResult& result = m_state->result;
    m_actions.UpdateNotifications1->setEnabled(true);
    if (result.notificationsSetting == 0)
        m_actions.UpdateNotifications1->setChecked(false);
    if (result.noticeWanted && !m_notice) {
        m_notice = new TNewVer(m_controls.values.productName, result.offeredVersion, result.downloadAddress,
                               ServiceAddress(false, m_controls.values.serviceHost, u"/"_s), m_ctx.shell,
                               m_controls.mainWindow);
    }
    emit checkApplied();
}

TNewVer* OnlineCommands::notice() const
{
    return m_notice;
}

TFeedbackForm* OnlineCommands::feedbackForm() const
{
    return m_feedback;
}

TAboutBox* OnlineCommands::aboutBox() const
{
    return m_about;
}

bool OnlineCommands::isCheckDone() const
{
    return m_state->done.load(std::memory_order_acquire);
}

void OnlineCommands::UpdateNotifications1Click(bool checked)
{
    // The action has already switched its check mark; the store follows it. The change counts from the next start.
    WriteShowUpdate(storePath(), checked ? 1 : 0);
}

void OnlineCommands::SendFeedback1Click()
{
    auto* form = new TFeedbackForm(m_controls.values, m_ctx.shell, m_ctx.dialogs, m_controls.mainWindow);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setWindowModality(Qt::ApplicationModal);
    m_feedback = form;
    form->show();
}

void OnlineCommands::About1Click()
{
    auto* box = new TAboutBox(m_controls.values, m_ctx.shell, m_ctx.dialogs, m_controls.mainWindow);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    m_about = box;
    box->show();
}
