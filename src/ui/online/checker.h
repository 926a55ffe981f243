#pragma once

#include "core/online/updatecheck.h"

#include <QThread>

#include <memory>

// The update check's worker thread: runs CheckNow and, when the check reaches its end, publishes the result by
// setting the done flag with release ordering.
class TChecker final : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TChecker)

public:
    TChecker(CheckEnvironment environment, std::shared_ptr<CheckState> state, QObject* parent = nullptr);

protected:
    void run() override { Execute(); }

private:
    void Execute();

    const CheckEnvironment m_environment;
    const std::shared_ptr<CheckState> m_state;
};
