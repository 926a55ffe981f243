#include "ui/app/settingsfile.h"

#include "core/app/settingsstore.h"
#include "ui/app/errorreport.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kSection = u"Settings"_s;
// How long the typing must pause before the filter box is written.
constexpr int kTypingPauseMs = 700;

} // namespace

SettingsFile::SettingsFile(Dialogs& dialogs, QObject* parent) : QObject(parent), m_dialogs(dialogs)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(kTypingPauseMs);
    connect(&m_pause, &QTimer::timeout, this, [this] { RunCommand(m_dialogs, [this] { flush(); }); });
}

SettingsFile::~SettingsFile()
{
    try {
        flush();
    } catch (...) {
        // The window reported what it could when it closed; nothing is shown while it goes.
    }
}

void SettingsFile::open(const QString& fileName)
{
    m_store = std::make_unique<SettingsStore>(fileName);
}

bool SettingsFile::ValueExists(const QString& key) const
{
    return m_store && m_store->ValueExists(kSection, key);
}

QString SettingsFile::ReadString(const QString& key) const
{
    return m_store ? m_store->ReadString(kSection, key, QString()) : QString();
}

void SettingsFile::write(const QString& key, const QString& value)
{
    if (!m_store || m_closed)
        return;
    m_store->WriteString(kSection, key, value);
    // The whole store goes to the file, with whatever waited for a pause.
    m_pause.stop();
    m_waiting = false;
    m_store->UpdateFile();
}

void SettingsFile::writeWhenTypingPauses(const QString& key, const QString& value)
{
    if (!m_store || m_closed)
        return;
    m_store->WriteString(kSection, key, value);
    m_waiting = true;
    m_pause.start();
}

void SettingsFile::flush()
{
    m_pause.stop();
    if (!std::exchange(m_waiting, false) || !m_store || m_closed)
        return;
    m_store->UpdateFile();
}

void SettingsFile::close()
{
    m_pause.stop();
    m_waiting = false;
    m_closed = true;
}
