#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Dialogs;
class SettingsStore;

// settings.ini, section "Settings": the store FormCreate opens and keeps for the whole run. A write rewrites the
// whole file at once, except a write made while the user types (the filter box), which waits until the typing
// pauses, the box is left (flush) or the window closes, so that a keystroke never costs a rewrite of the file.
class SettingsFile final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsFile)

public:
    // A write that fails when the pause is over goes to the general error report through dialogs.
    explicit SettingsFile(Dialogs& dialogs, QObject* parent = nullptr);
    ~SettingsFile() override;

    // Opens the store on fileName (a file that cannot be loaded is deleted and the store starts empty).
    void open(const QString& fileName);

    bool ValueExists(const QString& key) const;
    // The value, or an empty text when the key is missing.
    QString ReadString(const QString& key) const;

    // WriteString, then UpdateFile. Raises TagscopeError when the file cannot be written; the store keeps the value.
    void write(const QString& key, const QString& value);
    // WriteString now, UpdateFile once the typing has paused.
    void writeWhenTypingPauses(const QString& key, const QString& value);
    // Writes a waiting change now.
    void flush();

    // The file was deleted ("Reset to Defaults..."): nothing is written any more.
    void close();

private:
    Dialogs& m_dialogs;
    std::unique_ptr<SettingsStore> m_store;
    QTimer m_pause;
    bool m_waiting = false; // a change waits for the typing to pause
    bool m_closed = false;
};
