#pragma once

class QAction;

// The items of the main menu that act on the program itself.
struct AppActions
{
    QAction* Exit1;            // "E&xit", File menu
    QAction* ResettoDefaults1; // "Reset to Defaults...", Settings menu
    QAction* Help2;            // "Online Help", Help menu
};
