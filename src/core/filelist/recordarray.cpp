#include "core/filelist/recordarray.h"

#include <cassert>

void RecordArray::push_back(TMyRecord&& record)
{
    if (m_size == m_chunks.size() * kChunkSize) {
        m_chunks.emplace_back();
        m_chunks.back().reserve(kChunkSize);
    }
    m_chunks[m_size / kChunkSize].push_back(std::move(record));
    ++m_size;
}

void RecordArray::pop_back()
{
    assert(m_size > 0);
    --m_size;
    std::vector<TMyRecord>& last = m_chunks[m_size / kChunkSize];
    last.pop_back();
    if (last.empty())
        m_chunks.pop_back();
}

void RecordArray::clear()
{
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_size = 0;
}

void RecordArray::removeSorted(const std::vector<std::size_t>& indices)
{
    if (indices.empty())
        return;
    std::size_t write = indices.front();
    std::size_t next = 0;
    for (std::size_t read = write; read < m_size; ++read) {
        if (next < indices.size() && indices[next] == read) {
            ++next;
            continue;
        }
        (*this)[write++] = std::move((*this)[read]);
    }
    while (m_size > write)
        pop_back();
}

void RecordArray::permute(std::vector<std::uint32_t>& order)
{
    assert(order.size() == m_size);
    // Follows each cycle of the permutation once, marking a place as done by pointing it at itself.
    for (std::size_t start = 0; start < m_size; ++start) {
        if (order[start] == start)
            continue;
        TMyRecord held = std::move((*this)[start]);
        std::size_t place = start;
        for (;;) {
            const std::size_t from = order[place];
            order[place] = static_cast<std::uint32_t>(place);
            if (from == start) {
                (*this)[place] = std::move(held);
                break;
            }
            (*this)[place] = std::move((*this)[from]);
            place = from;
        }
    }
}
