#include "core/filelist/recordarray.h"

#include "core/platform/memoryblocks.h"

#include <algorithm>
#include <cassert>
#include <new>

RecordArray::~RecordArray()
{
    clear();
}

TMyRecord* RecordArray::allocateChunk(bool large)
{
    // One large page instead of 512 small ones; not for a list's first chunk, so that a short list stays small.
    return static_cast<TMyRecord*>(AllocateBlock(kChunkBytes, large));
}

void RecordArray::freeChunk(TMyRecord* chunk)
{
    FreeBlock(chunk);
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
