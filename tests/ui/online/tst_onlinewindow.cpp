#include "core/online/updatecheck.h"
#include "support/httpserver.h"
#include "support/ui/appformfixture.h"
#include "ui/online/feedbackform.h"
#include "ui/online/newversion.h"
#include "ui/online/onlinecommands.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray kNewer = "<version>9.9</version>\n<url>https://d.example/get</url>\n\n<result>1</result>\n";

// A main window whose online side talks to a server of the test's own.
struct OnlineFixture : AppFormFixture
{
    LocalHttpServer server;

    explicit OnlineFixture(bool check = false, int timeout = 10)
    {
        serviceHost = server.host();
        checkForUpdates = check;
        checkTimeoutSeconds = timeout;
    }
    OnlineCommands& online() const { return commands<OnlineCommands>(); }
    QAction* action(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }
    QString storePath() const { return online().storePath(); }

    TFeedbackForm* openFeedback()
    {
        action("SendFeedback1")->trigger();
        TFeedbackForm* feedback = online().feedbackForm();
        if (feedback && !QTest::qWaitForWindowExposed(feedback))
            qWarning("the feedback window was not shown");
        return feedback;
    }
};

template <typename T> T* childOf(QWidget* window, const char* name)
{
    return window->findChild<T*>(QString::fromLatin1(name));
}

void clickChoice(TFeedbackForm* form, const char* panel, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(childOf<QFrame>(form, panel), button, {}, QPoint(100, 20));
}

} // namespace

class TestOnlineWindow : public QObject
{
    Q_OBJECT

private slots:
    void feedbackWindowOpensEmpty();
    void choices_data();
    void choices();
    void blankCommentOnlyBeeps();
    void invalidAddressIsRefused();
    void deliveredFeedbackClosesTheWindow();
    void undeliveredFeedbackKeepsEverything();
    void postDoesNotFreezeTheWindow();
    void escapeCloses_data();
    void escapeCloses();
    void checkShowsTheNotice();
    void notificationsOffUncheckTheMenuItem();
    void closingDuringACheckEndsIt();
};

void TestOnlineWindow::feedbackWindowOpensEmpty()
{
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    TFeedbackForm* form = f.openFeedback();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), u"Tagscope feedback"_s);
    QCOMPARE(form->size(), QSize(525, 326));
    QVERIFY(form->isModal());
    QTRY_COMPARE(QApplication::focusWidget(), childOf<QWidget>(form, "Memo1"));
    // Tab goes from the comment to the address, then to the button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), childOf<QWidget>(form, "Edit1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), childOf<QWidget>(form, "BitBtn1"));

    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u"left over"_s);
    clickChoice(form, "Panel4");
    QVERIFY(form->isLiked());
    form->close();
    QTRY_VERIFY(!f.online().feedbackForm());

    // Nothing survives into the next opening.
    form = f.openFeedback();
    QVERIFY(!form->isLiked() && !form->isDisliked());
    QCOMPARE(childOf<QPlainTextEdit>(form, "Memo1")->toPlainText(), QString());
    form->close();
}

void TestOnlineWindow::choices_data()
{
    QTest::addColumn<QStringList>("clicks"); // panel names; a "right:" prefix clicks with the right button
    QTest::addColumn<bool>("like");
    QTest::addColumn<bool>("dislike");
    QTest::newRow("like") << QStringList{u"Panel4"_s} << true << false;
    QTest::newRow("like twice") << QStringList{u"Panel4"_s, u"Panel4"_s} << false << false;
    QTest::newRow("like, then dislike") << QStringList{u"Panel4"_s, u"Panel5"_s} << false << true;
    QTest::newRow("on the picture") << QStringList{u"Image2"_s} << false << true;
    QTest::newRow("right click") << QStringList{u"right:Panel4"_s} << false << false;
    QTest::newRow("right click keeps a choice") << QStringList{u"Panel5"_s, u"right:Panel5"_s} << false << true;
}

void TestOnlineWindow::choices()
{
    QFETCH(QStringList, clicks);
    QFETCH(bool, like);
    QFETCH(bool, dislike);
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    TFeedbackForm* form = f.openFeedback();
    for (QString click : clicks) {
        const bool right = click.startsWith(u"right:"_s);
        click.remove(u"right:"_s);
        QWidget* target = form->findChild<QWidget*>(click);
        QVERIFY(target);
        QTest::mouseClick(target, right ? Qt::RightButton : Qt::LeftButton, {}, QPoint(10, 10));
    }
    QCOMPARE(form->isLiked(), like);
    QCOMPARE(form->isDisliked(), dislike);
    const auto* panel4 = childOf<QFrame>(form, "Panel4");
    QCOMPARE(panel4->frameShadow(), like ? QFrame::Sunken : QFrame::Raised);
    QCOMPARE(panel4->palette().color(QPalette::Window),
             QApplication::palette().color(like ? QPalette::Highlight : QPalette::Button));

    // What is sent carries the choice made.
    f.server.setReply("OK");
    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u"fine\nreally"_s);
    QSignalSpy finished(form, &TFeedbackForm::sendFinished);
    childOf<QPushButton>(form, "BitBtn1")->click();
    QVERIFY(finished.wait(20000));
    // Every line of the text ends with CR LF, the choice's and the comment's alike.
    const QByteArray prefix = like ? "I%20like%20it%21%0D%0A" : dislike ? "I%20dislike%20it%21%0D%0A" : "";
    QVERIFY2(f.server.requests().constLast().body.endsWith("&feedback=" + prefix + "fine%0D%0Areally"),
             f.server.requests().constLast().body.constData());
}

void TestOnlineWindow::blankCommentOnlyBeeps()
{
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    TFeedbackForm* form = f.openFeedback();
    clickChoice(form, "Panel4");
    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u"  \r\n\t \n"_s);
    childOf<QPushButton>(form, "BitBtn1")->setFocus();
    childOf<QPushButton>(form, "BitBtn1")->click();
    QCOMPARE(f.shell.beeps, 1);
    QTRY_COMPARE(QApplication::focusWidget(), childOf<QWidget>(form, "Memo1"));
    QVERIFY(form->isVisible());
    QVERIFY(f.server.requests().isEmpty());
    QCOMPARE(f.server.tlsAttempts(), 0);
    form->close();
}

void TestOnlineWindow::invalidAddressIsRefused()
{
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    TFeedbackForm* form = f.openFeedback();
    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u"hello"_s);
    childOf<QLineEdit>(form, "Edit1")->setText(u" ann@example "_s);
    childOf<QPushButton>(form, "BitBtn1")->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages.first().text, u"Invalid e-mail address!"_s);
    QCOMPARE(f.dialogs.messages.first().caption, u"Failure"_s);
    QCOMPARE(f.dialogs.messages.first().type, DialogType::Error);
    QTRY_COMPARE(QApplication::focusWidget(), childOf<QWidget>(form, "Edit1"));
    QVERIFY(form->isVisible());
    QVERIFY(f.server.requests().isEmpty());
    form->close();
}

void TestOnlineWindow::deliveredFeedbackClosesTheWindow()
{
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    f.server.setReply("OK\r\n");
    QPointer<TFeedbackForm> form = f.openFeedback();
    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u" Works well.\n"_s);
    childOf<QLineEdit>(form, "Edit1")->setText(u" ann@example.de "_s);
    childOf<QPushButton>(form, "BitBtn1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form, 20000);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages.first().text, u"Your feedback is received.\r\rThank you!"_s);
    QCOMPARE(f.dialogs.messages.first().caption, u"Success"_s);
    QCOMPARE(f.dialogs.messages.first().type, DialogType::Information);
    QCOMPARE(f.server.requests().size(), 1);
    QCOMPARE(f.server.requests().first().body, QByteArray("cmd=feedback&appname=BRINDLE%20-%20Tagscope&version=") +
                                                   WorkOutAppValues(f.startupFor()).versionText.toUtf8() +
                                                   "&feedback=Works%20well.&email=ann%40example.de");
    QVERIFY(!QApplication::overrideCursor());
}

void TestOnlineWindow::undeliveredFeedbackKeepsEverything()
{
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    f.server.setReply("OK thanks");
    TFeedbackForm* form = f.openFeedback();
    clickChoice(form, "Panel5");
    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u"slow"_s);
    QSignalSpy finished(form, &TFeedbackForm::sendFinished);
    childOf<QPushButton>(form, "BitBtn1")->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages.first().text,
             u"Something went wrong. Your feedback could not be delivered.\r\rPlease try again later."_s);
    QCOMPARE(f.dialogs.messages.first().caption, u"Failure"_s);
    QVERIFY(form->isVisible());
    QVERIFY(form->isDisliked());
    QCOMPARE(childOf<QPlainTextEdit>(form, "Memo1")->toPlainText(), u"slow"_s);
    QVERIFY(childOf<QPushButton>(form, "BitBtn1")->isEnabled());
    form->close();
}

void TestOnlineWindow::postDoesNotFreezeTheWindow()
{
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    f.server.setMode(LocalHttpServer::Mode::NeverAnswer);
    TFeedbackForm* form = f.openFeedback();
    form->setTimeoutSeconds(1);
    childOf<QPlainTextEdit>(form, "Memo1")->setPlainText(u"anyone there?"_s);

    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&ticks] { ++ticks; });
    heartbeat.start(50);
    QSignalSpy finished(form, &TFeedbackForm::sendFinished);
    QElapsedTimer clock;
    clock.start();
    childOf<QPushButton>(form, "BitBtn1")->click();
    QVERIFY(form->isSending());
    QVERIFY(!childOf<QPushButton>(form, "BitBtn1")->isEnabled());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    // Neither a second send nor closing the window gets in while the post runs.
    childOf<QPushButton>(form, "BitBtn1")->click();
    form->close();
    QVERIFY(form->isVisible());

    QVERIFY(finished.wait(20000));
    // Two attempts of about a second each, during which the event loop kept running.
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(f.server.requests().size(), 1); // the http attempt; the https one never got past its handshake
    QVERIFY(!QApplication::overrideCursor());
    form->close();
}

void TestOnlineWindow::escapeCloses_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("comment") << u"Memo1"_s;
    QTest::newRow("address") << u"Edit1"_s;
    QTest::newRow("button") << u"BitBtn1"_s;
}

void TestOnlineWindow::escapeCloses()
{
    QFETCH(QString, control);
    OnlineFixture f;
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    QPointer<TFeedbackForm> form = f.openFeedback();
    QWidget* target = form->findChild<QWidget*>(control);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    QTRY_VERIFY(!form);
}

void TestOnlineWindow::checkShowsTheNotice()
{
    OnlineFixture f(true);
    f.server.setReply(kNewer);
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    QAction* item = f.action("UpdateNotifications1");
    QVERIFY(!item->isEnabled());
    QVERIFY(item->isChecked());
    QSignalSpy applied(&f.online(), &OnlineCommands::checkApplied);
    QVERIFY(applied.wait(20000));
    QVERIFY(item->isEnabled());
    QVERIFY(item->isChecked());
    QVERIFY(f.online().notice());
    QTRY_VERIFY(f.online().notice()->isVisible());
    QCOMPARE(f.server.requests().size(), 1);
    const QSettings store(f.storePath(), QSettings::NativeFormat);
    QCOMPARE(store.value(u"HowMany"_s).toString(), u"1"_s);
    QCOMPARE(store.value(u"CurrentVersion"_s).toString(), u"9.9"_s);
    QVERIFY(f.storePath().startsWith(f.config.path()));
    QVERIFY(f.storePath().endsWith(ApplicationNameDigest(u"BRINDLE - Tagscope"_s) + u"/Settings.conf"_s));

    // The menu item switches the notices for the next start.
    item->trigger();
    QVERIFY(!item->isChecked());
    QCOMPARE(QSettings(f.storePath(), QSettings::NativeFormat).value(u"ShowUpdate"_s).toString(), u"0"_s);
    item->trigger();
    QCOMPARE(QSettings(f.storePath(), QSettings::NativeFormat).value(u"ShowUpdate"_s).toString(), u"1"_s);
}

void TestOnlineWindow::notificationsOffUncheckTheMenuItem()
{
    OnlineFixture f(true);
    f.server.setReply(kNewer);
    f.form.reset();
    {
        QSettings store(UpdateStorePath(f.config.path(), u"BRINDLE"_s, u"BRINDLE - Tagscope"_s),
                        QSettings::NativeFormat);
        store.setValue(u"ShowUpdate"_s, u"0"_s);
    }
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    QSignalSpy applied(&f.online(), &OnlineCommands::checkApplied);
    QVERIFY(applied.wait(20000));
    QAction* item = f.action("UpdateNotifications1");
    QVERIFY(item->isEnabled());
    QVERIFY(!item->isChecked());
    QVERIFY(!f.online().notice());
    QVERIFY(f.server.requests().isEmpty());
}

void TestOnlineWindow::closingDuringACheckEndsIt()
{
    OnlineFixture f(true, 30);
    f.server.setMode(LocalHttpServer::Mode::NeverAnswer);
    f.start(QString(), AppFormFixture::Deployment::DoNotWait);
    // The request is under way and waits for an answer that never comes; the window stays usable meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(f.server.tlsAttempts() == 1, 20000);
    QVERIFY(!f.online().isCheckDone());
    QVERIFY(!f.action("UpdateNotifications1")->isEnabled());
    QElapsedTimer clock;
    clock.start();
    f.form->close();
    f.form.reset();
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_MAIN(TestOnlineWindow)
#include "tst_onlinewindow.moc"
