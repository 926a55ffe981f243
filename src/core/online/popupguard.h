#pragma once

#include <QtGlobal>

#include <functional>

// Decides whether a click on a button that pops up a menu opens it. A click outside an open menu closes the menu;
// when that click lands on the menu's own button, the button's click arrives just after the menu closed and must not
// open it again, so that the button works as a toggle.
class PopupGuard final
{
public:
    // A millisecond tick count that wraps round, as the system's tick counter does.
    using TickClock = std::function<quint32()>;

    // Within this many milliseconds of the menu's closing, a click on its button counts as the click that closed it.
    static constexpr quint32 reopenDelay = 100;

    explicit PopupGuard(TickClock clock = {});

    // Whether the click on button should open menu. A click that only closed the menu gives false and forgets the
    // menu, so the next click opens it.
    bool shouldOpen(const void* button, const void* menu);
    // Records that menu, opened from button, has just closed.
    void closed(const void* button, const void* menu);

private:
    TickClock m_clock;
    const void* m_lastButton = nullptr;
    const void* m_lastMenu = nullptr;
    quint32 m_closedAt = 0;
};
