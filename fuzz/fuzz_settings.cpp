// settings.ini as the program reads it at start and rewrites it after each change: the input is the file's bytes.

#include "fuzzsupport.h"

#include "core/app/settingsstore.h"
#include "core/base/textlines.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

QString g_file;

bool sameSections(const QList<SettingsStore::Section>& a, const QList<SettingsStore::Section>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].entries.size() != b[i].entries.size())
            return false;
        for (qsizetype j = 0; j < a[i].entries.size(); ++j) {
            if (a[i].entries[j].key != b[i].entries[j].key || a[i].entries[j].value != b[i].entries[j].value)
                return false;
        }
    }
    return true;
}

bool hasBlankEnds(const QString& text)
{
    return !text.isEmpty() && (text.front().unicode() <= 32 || text.back().unicode() <= 32);
}

void writeInput(const QByteArray& bytes)
{
    QFile file(g_file);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(g_file));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_file = FuzzPrivateFolder() + u"/settings.ini"_s;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    writeInput(bytes);

    QList<SettingsStore::Section> parsed;
    const bool readable = SettingsStore::Parse(bytes, parsed);
    SettingsStore store(g_file);
    // A file that cannot be read is deleted, and the store starts empty.
    FUZZ_CHECK(QFile::exists(g_file) == readable);
    if (!readable) {
        FUZZ_CHECK(!store.ValueExists(u"Settings"_s, u"FileMask"_s));
        return 0;
    }
    for (const SettingsStore::Section& section : parsed) {
        for (const SettingsStore::Entry& entry : section.entries) {
            FUZZ_CHECK(store.ValueExists(section.name, entry.key));
            FUZZ_CHECK(store.ReadString(section.name, entry.key, u"\n"_s) == entry.value);
        }
    }

    // What the program writes: a value of its own, here the input's last line, under a key of its own.
    const QString text = QString::fromUtf8(bytes);
    const QList<QStringView> lines = SplitTextLines(text);
    const QString value = lines.isEmpty() ? QString() : lines.back().toString();
    const QString maskBefore = store.ReadString(u"Settings"_s, u"FileMask"_s, u"\n"_s);
    store.WriteString(u"Settings"_s, u"LastFolderInput"_s, value);
    store.WriteString(u"Settings"_s, u"FileMask"_s, value + u"\r"_s);
    const bool valueKept = !hasBlankEnds(value);
    store.UpdateFile();

    // Written and read again, the file holds the same sections, keys and values, and writes the same bytes.
    const SettingsStore again(g_file);
    for (const SettingsStore::Section& section : parsed) {
        for (const SettingsStore::Entry& entry : section.entries) {
            if (section.name.compare(u"Settings"_s, Qt::CaseInsensitive) == 0 &&
                (entry.key.compare(u"LastFolderInput"_s, Qt::CaseInsensitive) == 0 ||
                 entry.key.compare(u"FileMask"_s, Qt::CaseInsensitive) == 0))
                continue;
            FUZZ_CHECK(again.ReadString(section.name, entry.key, u"\n"_s) == entry.value);
        }
    }
    // A value with a line break is not stored: the key keeps what it had.
    FUZZ_CHECK(again.ReadString(u"Settings"_s, u"FileMask"_s, u"\n"_s) == maskBefore);
    if (valueKept)
        FUZZ_CHECK(again.ReadString(u"Settings"_s, u"LastFolderInput"_s, u"\n"_s) == value);

    const QByteArray written = SettingsStore::Serialize(parsed);
    QList<SettingsStore::Section> reparsed;
    FUZZ_CHECK(SettingsStore::Parse(written, reparsed));
    FUZZ_CHECK(sameSections(parsed, reparsed));
    FUZZ_CHECK(SettingsStore::Serialize(reparsed) == written);
    return 0;
}
