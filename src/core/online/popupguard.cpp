#include "core/online/popupguard.h"

#include <chrono>
#include <utility>

PopupGuard::PopupGuard(TickClock clock) : m_clock(std::move(clock))
{
    if (!m_clock) {
        m_clock = [] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            return quint32(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
        };
    }
}

bool PopupGuard::shouldOpen(const void* button, const void* menu)
{
    // The unsigned difference stays right across the tick counter's wrap.
    if (button == m_lastButton && menu == m_lastMenu && quint32(m_clock() - m_closedAt) < reopenDelay) {
        m_lastButton = nullptr;
        m_lastMenu = nullptr;
        return false;
    }
    return true;
}

void PopupGuard::closed(const void* button, const void* menu)
{
    m_closedAt = m_clock();
    m_lastButton = button;
    m_lastMenu = menu;
}
