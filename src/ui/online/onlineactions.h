#pragma once

class QAction;

// The online items of the Help menu.
struct OnlineActions
{
    QAction* UpdateNotifications1;
    QAction* SendFeedback1;
    QAction* About1;
};
