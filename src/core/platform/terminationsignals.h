#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP, taken through the event loop: the signal handler only writes the signal's number to a
// pipe, which the user-interface thread reads, so that the program can end as it does when its window closes (its
// private folder removed, its settings written) instead of dying on the spot. One object per process.
class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Gives the signals their default handling back.
    ~TerminationSignals() override;

signals:
    void received(int signal);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
