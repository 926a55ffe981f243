#pragma once

#include <QList>
#include <QString>

// The in-memory copy of settings.ini: an ordered list of sections, each an ordered list of key and value pairs.
// Section and key names compare without regard to case; values are kept exactly.
class SettingsStore final
{
public:
    struct Entry
    {
        QString key;
        QString value;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
    };

    // Opens the store on fileName and loads the file when it exists. A file that cannot be read, or whose bytes are
    // not valid UTF-8, is deleted and the store starts empty.
    explicit SettingsStore(QString fileName);

    const QString& fileName() const { return m_fileName; }

    bool ValueExists(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Sets the value, adding the section and the key at the end when they are missing. A value holding a line break
    // (a folder name may) cannot be kept on one line of the file: it is not stored, and the key keeps its old value.
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Rewrites the whole file atomically; raises TagscopeError when it cannot be written.
    void UpdateFile() const;

    // Parses the bytes of a settings file; false when they are not valid UTF-8. The first occurrence of a section
    // wins, and within a section the first occurrence of a key.
    static bool Parse(const QByteArray& bytes, QList<Section>& sections);
    // The bytes UpdateFile writes: a UTF-8 byte-order mark, then every line ended by CR LF.
    static QByteArray Serialize(const QList<Section>& sections);

private:
    const Section* findSection(const QString& name) const;

    QString m_fileName;
    QList<Section> m_sections;
};
