#pragma once

#include <QString>

class QLabel;
class QStatusBar;

// The two panels of the status bar: 0 what the program is doing, 1 the item count or the file being worked on.
class StatusPanels final
{
public:
    // Adds the panels to bar: panel 0 300 pixels wide (or as wide as its text), panel 1 at least 50 and taking the
    // rest. Each shows its whole text as its tool tip too.
    explicit StatusPanels(QStatusBar& bar);

    QString text(int panel) const;
    // Replaces the panel's text.
    void setText(int panel, const QString& text);

private:
    QLabel* label(int panel) const;

    QLabel* m_panel0;
    QLabel* m_panel1;
};
