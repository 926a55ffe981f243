#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <optional>

// The main window's layout, kept between runs in a file of its own, never in settings.ini (whose bytes are fixed):
// stateHome/company/product/window.ini, stateHome being $XDG_STATE_HOME (default ~/.local/state).
struct WindowState
{
    std::optional<QRect> geometry; // where the window was, not maximized
    bool maximized = false;
    int paneWidth = 0;  // the metadata pane's width; 0 when it was never shown
    QByteArray columns; // the list header's state: the columns' widths and order

    static QString FilePath(const QString& stateHome, const QString& companyName, const QString& productName);
    // What the file holds; nothing when it is missing or unreadable.
    static WindowState Read(const QString& fileName);
    // Writes the file, making its folders; false when it cannot.
    bool write(const QString& fileName) const;
};
