#pragma once

#include "core/online/updatecheck.h"
#include "ui/app/commandcontext.h"
#include "ui/online/onlineactions.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <memory>

class QWidget;
class TAboutBox;
class TChecker;
class TFeedbackForm;
class TNewVer;
struct AppValues;

// The Help menu's online side: the update check started a second after the window and its notice, "Update
// Notifications", "Send Feedback..." and "About...".
class OnlineCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnlineCommands)

public:
    // The window the online windows belong to, the values the requests tell, and what the check takes from the
    // program's start.
    struct Controls
    {
        QWidget* mainWindow;
        const AppValues& values;
        QString configHome;          // the per-user configuration folder, where the update check keeps its store
        bool checkForUpdates = true; // false: the update check never starts
        int checkTimeoutSeconds = 10;
    };

    OnlineCommands(const CommandContext& context, const OnlineActions& actions, const Controls& controls,
                   QObject* parent = nullptr);
    // A check still running is cancelled and waited for: its request ends within about a second.
    ~OnlineCommands() override;

    void TimerCheckerTimer();
    void UpdateNotifications1Click(bool checked);
    void SendFeedback1Click();
    void About1Click();

    bool isCheckDone() const;
    QString storePath() const;
    // The windows while they exist.
    TNewVer* notice() const;
    TFeedbackForm* feedbackForm() const;
    TAboutBox* aboutBox() const;

signals:
    // The check has ended and its result has been applied to the menu and the notice.
    void checkApplied();

private:
    CheckEnvironment checkEnvironment() const;

    const CommandContext& m_ctx;
    const OnlineActions m_actions;
    const Controls m_controls;
    QTimer TimerChecker;
    bool m_checkStarted = false;
    std::atomic<bool> m_cancel{false};
    std::shared_ptr<CheckState> m_state = std::make_shared<CheckState>();
    std::unique_ptr<TChecker> m_checker;
    QPointer<TNewVer> m_notice;
    QPointer<TFeedbackForm> m_feedback;
    QPointer<TAboutBox> m_about;
};
