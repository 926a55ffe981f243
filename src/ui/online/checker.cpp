#include "ui/online/checker.h"

#include <utility>

TChecker::TChecker(CheckEnvironment environment, std::shared_ptr<CheckState> state, QObject* parent)
    : QThread(parent), m_environment(std::move(environment)), m_state(std::move(state))
{
}

void TChecker::Execute()
{
    m_state->done.store(false, std::memory_order_relaxed);
    if (CheckNow(m_environment, m_state->result))
        m_state->done.store(true, std::memory_order_release);
}
