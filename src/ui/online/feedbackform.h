#pragma once

#include "core/base/handoff.h"

#include <QDialog>
#include <QString>

class DesktopShell;
class Dialogs;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct AppValues;

// "Send Feedback...": a like or a dislike, a comment and an optional e-mail address, posted to the maker's web
// service. The post runs on a thread of its own; meanwhile the window shows the busy pointer, its controls are
// disabled and it cannot be closed, so the feedback is never sent twice at once.
class TFeedbackForm final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFeedbackForm)

public:
    TFeedbackForm(const AppValues& values, DesktopShell& shell, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFeedbackForm() override;

    bool isLiked() const { return m_like; }
    bool isDisliked() const { return m_dislike; }
    bool isSending() const { return m_sending; }
    // The time-out of each of the two attempts, in seconds; 3 unless a test shortens it.
    void setTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }

signals:
    // A post has ended and its outcome has been shown.
    void sendFinished(bool delivered);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void Image1MouseDown(); // "I like it!" clicked
    void Image2MouseDown(); // "I dislike it!" clicked
    void BitBtn1Click();    // "Send"
    void showChoices();
    void setSending(bool sending);
    void finishSending(bool delivered);

    const AppValues& m_values;
    DesktopShell& m_shell;
    Dialogs& m_dialogs;
    QFrame* Panel4 = nullptr;
    QFrame* Panel5 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    bool m_like = false;
    bool m_dislike = false;
    bool m_sending = false;
    int m_timeoutSeconds = 3;
    QueuedHandOff<bool> m_delivered; // the post's outcome; a post that outlives the window posts it to nobody
};
