#pragma once

#include <QString>

#include <optional>

class QLabel;
class SettingsFile;

// SelectedFolder, the folder that is shown and that the next scan walks, held in one place: LabelDirectory shows it.
class FolderChoice final
{
public:
    FolderChoice(QLabel& label, SettingsFile& settings);

    // Nothing until start-up or the user sets it; the label then reads "[None]".
    const std::optional<QString>& SelectedFolder() const { return m_folder; }

    // Start-up and drops: the folder as it came, shown but not remembered.
    void show(const QString& folder);
    // A folder chosen in the folder dialog: it becomes SelectedFolder, and AddMyFolder remembers and shows it.
    void choose(const QString& folder);

    // Stores a chosen folder as "LastFolderInput" without one trailing separator, and shows it with its tool tip.
    void AddMyFolder(QString folder);

private:
    QLabel& m_label;
    SettingsFile& m_settings;
    std::optional<QString> m_folder;
};
