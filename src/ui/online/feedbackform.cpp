#include "ui/online/feedbackform.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/base/trim.h"
#include "core/online/feedback.h"
#include "ui/app/dialogcentring.h"
#include "ui/app/fonts.h"
#include "ui/app/pictures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kCommentLimit = 10000;
constexpr int kAddressLimit = 100;

// A choice panel: a 32 × 32 picture at its left and its caption.
QFrame* makeChoice(QWidget* parent, const QString& name, const QString& caption, const QString& picture,
                   const QString& imageName, QLabel*& image)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    panel->setCursor(Qt::PointingHandCursor);
    panel->setLineWidth(1);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 4, 8, 4);
    image = new QLabel(panel);
    image->setObjectName(imageName);
    image->setFixedSize(32, 32);
    image->setPixmap(Picture(picture).pixmap(32, 32));
    auto* text = new QLabel(caption, panel);
    text->setObjectName(name + u"Caption"_s);
    text->setFont(Tahoma(16));
    text->setAlignment(Qt::AlignCenter);
    row->addWidget(image);
    row->addWidget(text, 1);
    return panel;
}

// Shows a panel as chosen (highlighted, lowered) or not (button face, raised).
void showChoice(QFrame* panel, bool chosen)
{
    QPalette palette = panel->palette();
    const QPalette standard = QApplication::palette(panel);
    palette.setColor(QPalette::Window, standard.color(chosen ? QPalette::Highlight : QPalette::Button));
    palette.setColor(QPalette::WindowText, standard.color(chosen ? QPalette::HighlightedText : QPalette::WindowText));
    panel->setPalette(palette);
    panel->setFrameStyle(QFrame::Panel | (chosen ? QFrame::Sunken : QFrame::Raised));
}

} // namespace

TFeedbackForm::TFeedbackForm(const AppValues& values, DesktopShell& shell, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_values(values), m_shell(shell), m_dialogs(dialogs),
      m_delivered(this, [this](bool delivered) { finishSending(delivered); })
{
    setObjectName(u"FeedbackForm"_s);
    setFont(Tahoma(11));
    setFixedSize(525, 326);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 0);
    column->setSpacing(4);

    auto* Panel3 = new QWidget(this);
    Panel3->setObjectName(u"Panel3"_s);
    Panel3->setFixedHeight(46);
    auto* choices = new QHBoxLayout(Panel3);
    choices->setContentsMargins(0, 0, 0, 0);
    choices->setSpacing(4);
    Panel4 = makeChoice(Panel3, u"Panel4"_s, u"I like it!"_s, u"like"_s, u"Image1"_s, Image1);
    Panel5 = makeChoice(Panel3, u"Panel5"_s, u"I dislike it!"_s, u"dislike"_s, u"Image2"_s, Image2);
    Panel5->setFixedWidth(256);
    choices->addWidget(Panel4, 1);
    choices->addWidget(Panel5);
    for (QObject* target : {static_cast<QObject*>(Panel4), static_cast<QObject*>(Image1),
                            static_cast<QObject*>(Panel5), static_cast<QObject*>(Image2)})
        target->installEventFilter(this);
    for (QLabel* caption : findChildren<QLabel*>()) {
        if (caption->objectName().endsWith(u"Caption"_s))
            caption->installEventFilter(this);
    }

    auto* Label1 = new QLabel(u"We would really appreciate your feedback."_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setFont(Tahoma(16));
    auto* Label2 = new QLabel(u"What did you like or dislike?"_s, this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setFont(Tahoma(13, true));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setFont(Tahoma(13));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        // The box holds at most 10000 characters; what goes beyond, typed or pasted, is cut off.
        const QString text = Memo1->toPlainText();
        if (text.size() > kCommentLimit) {
            const QSignalBlocker block(Memo1);
            Memo1->setPlainText(text.left(kCommentLimit));
            Memo1->moveCursor(QTextCursor::End);
        }
    });
    Memo1->installEventFilter(this);

    auto* Panel1 = new QWidget(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setFixedHeight(30);
    auto* mailRow = new QHBoxLayout(Panel1);
    mailRow->setContentsMargins(0, 0, 0, 0);
    auto* Label3 = new QLabel(u"Include my e-mail:"_s, Panel1);
    Label3->setObjectName(u"Label3"_s);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->setFont(Tahoma(13));
    Edit1->setMaxLength(kAddressLimit);
    Edit1->installEventFilter(this);
    mailRow->addWidget(Label3);
    mailRow->addWidget(Edit1, 1);

    auto* Panel2 = new QWidget(this);
    Panel2->setObjectName(u"Panel2"_s);
    Panel2->setFixedHeight(39);
    auto* buttonRow = new QHBoxLayout(Panel2);
    buttonRow->setContentsMargins(0, 2, 0, 5);
    BitBtn1 = new QPushButton(Picture(u"feedback"_s), u"Send"_s, Panel2);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setFont(Tahoma(16));
    BitBtn1->setFixedWidth(172);
    BitBtn1->setAutoDefault(false);
    BitBtn1->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    buttonRow->addStretch(1);
    buttonRow->addWidget(BitBtn1);

    column->addWidget(Panel3);
    column->addWidget(Label1);
    column->addWidget(Label2);
    column->addWidget(Memo1, 1);
    column->addWidget(Panel1);
    column->addWidget(Panel2);

    setTabOrder(Memo1, Edit1);
    setTabOrder(Edit1, BitBtn1);
    for (QWidget* other : {static_cast<QWidget*>(Panel4), static_cast<QWidget*>(Panel5)})
        other->setFocusPolicy(Qt::NoFocus);

    FormCreate();
}

TFeedbackForm::~TFeedbackForm()
{
    if (m_sending)
        QApplication::restoreOverrideCursor();
}

void TFeedbackForm::FormCreate()
{
    setWindowTitle(m_values.productName + u" feedback"_s);
    showChoices();
    CentreOnMainWindowScreen(this, parentWidget());
    Memo1->setFocus();
}

void TFeedbackForm::Image1MouseDown()
{
    if (m_like) {
        m_like = false;
    } else {
        m_like = true;
        m_dislike = false;
    }
    showChoices();
}

void TFeedbackForm::Image2MouseDown()
{
    if (m_dislike) {
        m_dislike = false;
    } else {
        m_dislike = true;
        m_like = false;
    }
    showChoices();
}

void TFeedbackForm::showChoices()
{
    showChoice(Panel4, m_like);
    showChoice(Panel5, m_dislike);
}

void TFeedbackForm::BitBtn1Click()
{
    if (m_sending)
        return;
    const QString comment = TrimBlanksAndControls(Memo1->toPlainText());
    if (comment.isEmpty()) {
        Memo1->setFocus();
        m_shell.beep();
        return;
    }
    const QString email = TrimBlanksAndControls(Edit1->text());
    if (!email.isEmpty() && !IsValidEmailAddress(email)) {
        Edit1->setFocus();
        m_dialogs.showMessage(
            BuildMessageBox(u"Invalid e-mail address!"_s, DialogType::Error, {DialogButton::OK}, u"Failure"_s));
        return;
    }
    const QStringList fields = FeedbackFields(m_values.applicationName, m_values.versionText,
                                              FeedbackText(m_like, m_dislike, comment), email);

    setSending(true);
    // The post holds nothing of the window, which may be destroyed before it ends.
    QThread* post = QThread::create([host = m_values.serviceHost, fields, timeout = m_timeoutSeconds,
                                     delivered = m_delivered] { delivered.post(SendFeedback(host, fields, timeout)); });
    connect(post, &QThread::finished, post, &QObject::deleteLater);
    post->start();
}

void TFeedbackForm::setSending(bool sending)
{
    m_sending = sending;
    for (QWidget* control : {static_cast<QWidget*>(Panel4), static_cast<QWidget*>(Panel5),
                             static_cast<QWidget*>(Memo1), static_cast<QWidget*>(Edit1),
                             static_cast<QWidget*>(BitBtn1)})
        control->setEnabled(!sending);
    if (sending)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFeedbackForm::finishSending(bool delivered)
{
    setSending(false);
    if (delivered) {
        m_dialogs.showMessage(BuildMessageBox(u"Your feedback is received.\r\rThank you!"_s, DialogType::Information,
                                              {DialogButton::OK}, u"Success"_s));
        emit sendFinished(true);
        close();
        return;
    }
    m_dialogs.showMessage(BuildMessageBox(
        u"Something went wrong. Your feedback could not be delivered.\r\rPlease try again later."_s,
        DialogType::Error, {DialogButton::OK}, u"Failure"_s));
    emit sendFinished(false);
}

void TFeedbackForm::closeEvent(QCloseEvent* event)
{
    // The post holds nothing of the window, but its outcome must still be shown: the window waits for it.
    if (m_sending) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFeedbackForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_sending) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFeedbackForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const auto within = [watched](const QFrame* panel) {
                for (const QObject* o = watched; o; o = o->parent()) {
                    if (o == panel)
                        return true;
                }
                return false;
            };
            if (within(Panel4)) {
                Image1MouseDown();
                return true;
            }
            if (within(Panel5)) {
                Image2MouseDown();
                return true;
            }
        }
    } else if (event->type() == QEvent::KeyPress && !m_sending) {
        // Escape closes the window from the comment, the address and the button alike.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            (watched == Memo1 || watched == Edit1 || watched == BitBtn1)) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
