#include "core/filelist/recordarray.h"

#include <QtGlobal>

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <new>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

RecordArray::~RecordArray()
{
    clear();
}

TMyRecord* RecordArray::allocateChunk(bool large)
{
#ifdef Q_OS_LINUX
    void* memory = nullptr;
    if (::posix_memalign(&memory, kChunkBytes, kChunkBytes) != 0)
        throw std::bad_alloc();
    // One large page instead of 512 small ones; not for a list's first chunk, so that a short list stays small.
    if (large)
        ::madvise(memory, kChunkBytes, MADV_HUGEPAGE);
    return static_cast<TMyRecord*>(memory);
#else
    Q_UNUSED(large);
    return static_cast<TMyRecord*>(::operator new(kChunkBytes));
#endif
}

void RecordArray::freeChunk(TMyRecord* chunk)
{
#ifdef Q_OS_LINUX
    std::free(chunk);
#else
    ::operator delete(chunk);
#endif
}

void RecordArray::push_back(TMyRecord&& record)
{
    if (m_used == m_chunks.size() * kChunkSize)
        m_chunks.push_back(allocateChunk(!m_chunks.empty()));
    TMyRecord* place = &m_chunks[m_used / kChunkSize][m_used % kChunkSize];
    if (m_order.size() == m_order.capacity())
        m_order.reserve(m_order.size() + std::max<std::size_t>(kChunkSize, m_order.size() / 4));
    new (place) TMyRecord(std::move(record));
    ++m_used;
    m_order.push_back(place);
}

void RecordArray::clear()
{
    for (TMyRecord* record : m_order)
        record->~TMyRecord();
    for (TMyRecord* chunk : m_chunks)
        freeChunk(chunk);
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_order.clear();
    m_order.shrink_to_fit();
    m_used = 0;
}

void RecordArray::removeSorted(const std::vector<std::size_t>& indices)
{
    if (indices.empty())
        return;
    std::size_t write = indices.front();
    std::size_t next = 0;
    for (std::size_t read = write; read < m_order.size(); ++read) {
        if (next < indices.size() && indices[next] == read) {
            m_order[read]->~TMyRecord();
            ++next;
            continue;
        }
        m_order[write++] = m_order[read];
    }
    m_order.resize(write);
}

void RecordArray::permute(const std::vector<std::uint32_t>& order)
{
    assert(order.size() == m_order.size());
    std::vector<TMyRecord*> reordered(m_order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        reordered[i] = m_order[order[i]];
    m_order.swap(reordered);
}
