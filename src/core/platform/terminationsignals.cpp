#include "core/platform/terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the user-interface thread.
int signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const int savedErrno = errno;
    const char number = static_cast<char>(signal);
    // Only what a signal handler may call: write, which cannot block on the non-blocking pipe.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    struct sigaction action
    {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (const int signal : kSignals)
        ::signal(signal, SIG_DFL);
    delete m_notifier;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TerminationSignals::readPipe()
{
    char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1)
        emit received(number);
}
