#include "core/filelist/recordbuilder.h"

#include "core/base/filenames.h"
#include "core/filelist/filerecords.h"

#include <QByteArrayView>

#include <utility>

namespace {

// Batches waiting for the builder; the walk waits when this many are.
constexpr std::size_t kMaxWaiting = 4;

} // namespace

void FoundFiles::clear()
{
    folders.clear();
    files.clear();
    names.clear();
}

const QString& ExtensionTexts::text(QStringView name)
{
    const QStringView raw = PathExtension(name);
    auto it = m_texts.find(raw);
    if (it == m_texts.end())
        it = m_texts.emplace(raw.toString(), ExtensionText(raw)).first;
    return it->second;
}

RecordBuilder::RecordBuilder(FileRecords& records, bool calculateSize, const QLocale& locale)
    : m_records(records), m_calculateSize(calculateSize), m_dates(locale), m_thread([this] { serve(); })
{}

RecordBuilder::~RecordBuilder()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::unique_ptr<FoundFiles> RecordBuilder::exchange(std::unique_ptr<FoundFiles> found)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.size() < kMaxWaiting; });
    m_waiting.push_back(std::move(found));
    std::unique_ptr<FoundFiles> next;
    if (!m_spare.empty()) {
        next = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
    return next ? std::move(next) : std::make_unique<FoundFiles>();
}

void RecordBuilder::drain()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.empty() && !m_building; });
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

void RecordBuilder::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        std::unique_ptr<FoundFiles> found = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_building = true;
        lock.unlock();
        m_changed.notify_all();
        std::exception_ptr error;
        try {
            build(*found);
        } catch (...) {
            error = std::current_exception();
        }
        found->clear();
        lock.lock();
        m_spare.push_back(std::move(found));
        m_building = false;
        if (error && !m_error)
            m_error = error;
        m_changed.notify_all();
    }
}

void RecordBuilder::build(const FoundFiles& found)
{
    m_batch.reserve(found.files.size());
    for (const FoundFiles::File& file : found.files) {
        TMyRecord record;
        const QByteArrayView name(found.names.data() + file.nameStart, qsizetype(file.nameLength));
        // Not QString::fromUtf8, which would drop a leading U+FEFF.
        record.FName = DecodeFileName(name);
        record.FExtension = m_extensions.text(file.foreign ? ShownFileName(record.FName) : record.FName);
        record.FFolder = found.folders[file.folder];
        if (file.lookedUp) {
            record.FDateKey = m_dates.key(file.modified);
            if (m_calculateSize)
                record.FSize = file.size;
        }
        m_batch.push_back(std::move(record));
    }
    m_records.append(m_batch);
}
