#include "core/app/settingsstore.h"

#include "core/base/errors.h"
#include "core/base/textlines.h"
#include "core/base/trim.h"
#include "core/base/utf8.h"

#include <QFile>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename List>
auto findByName(List& list, const QString& name, QString (*nameOf)(const typename List::value_type&))
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (nameOf(*it).compare(name, Qt::CaseInsensitive) == 0)
            return it;
    }
    return list.end();
}

QString sectionName(const SettingsStore::Section& s)
{
    return s.name;
}

QString entryKey(const SettingsStore::Entry& e)
{
    return e.key;
}

} // namespace

SettingsStore::SettingsStore(QString fileName) : m_fileName(std::move(fileName))
{
    QFile file(m_fileName);
    if (!file.exists())
        return;
    bool loaded = false;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        loaded = file.error() == QFileDevice::NoError && Parse(bytes, m_sections);
        file.close();
    }
    if (!loaded) {
        m_sections.clear();
        QFile::remove(m_fileName);
    }
}

bool SettingsStore::Parse(const QByteArray& bytes, QList<Section>& sections)
{
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QString text;
    if (!DecodeUtf8(data, text))
        return false;

    sections.clear();
    Section* current = nullptr; // null before the first section and inside a repeated one
    for (QStringView raw : SplitTextLines(text)) {
        const QString line = TrimBlanksAndControls(raw);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = TrimBlanksAndControls(QStringView(line).mid(1, line.size() - 2));
            if (findByName(sections, name, sectionName) != sections.end()) {
                current = nullptr;
            } else {
                sections.append({name, {}});
                current = &sections.last();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = eq < 0 ? line : TrimBlanksAndControls(QStringView(line).left(eq));
        const QString value = eq < 0 ? QString() : TrimBlanksAndControls(QStringView(line).mid(eq + 1));
        if (findByName(current->entries, key, entryKey) == current->entries.end())
            current->entries.append({key, value});
    }
    return true;
}

QByteArray SettingsStore::Serialize(const QList<Section>& sections)
{
    QString text;
    for (const Section& section : sections) {
        text += u'[' + section.name + u"]\r\n"_s;
        for (const Entry& entry : section.entries)
            text += entry.key + u'=' + entry.value + u"\r\n"_s;
        text += u"\r\n"_s;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

const SettingsStore::Section* SettingsStore::findSection(const QString& name) const
{
    const auto it = findByName(m_sections, name, sectionName);
    return it == m_sections.end() ? nullptr : &*it;
}

bool SettingsStore::ValueExists(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    return s && findByName(s->entries, key, entryKey) != s->entries.end();
}

QString SettingsStore::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Section* s = findSection(section);
    if (!s)
        return defaultValue;
    const auto it = findByName(s->entries, key, entryKey);
    return it == s->entries.end() ? defaultValue : it->value;
}

void SettingsStore::WriteString(const QString& section, const QString& key, const QString& value)
{
    // Written as it is, the break would end the line and the rest would be read back as lines of their own, even
    // as a new section that hides the keys after it.
    if (value.contains(u'\n') || value.contains(u'\r'))
        return;
    auto s = findByName(m_sections, section, sectionName);
    if (s == m_sections.end()) {
        m_sections.append({section, {}});
        s = m_sections.end() - 1;
    }
    auto e = findByName(s->entries, key, entryKey);
    if (e == s->entries.end())
        s->entries.append({key, value});
    else
        e->value = value;
}

void SettingsStore::UpdateFile() const
{
    // Written beside the old file and renamed over it, so a crash never leaves half a file.
    QSaveFile file(m_fileName);
    const QByteArray bytes = Serialize(m_sections);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw TagscopeError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_fileName, file.errorString()));
    }
}
