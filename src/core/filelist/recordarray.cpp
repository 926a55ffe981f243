#include "core/filelist/recordarray.h"

#include <QtGlobal>

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
    if (m_size == m_chunks.size() * kChunkSize)
        m_chunks.push_back(allocateChunk(!m_chunks.empty()));
    new (&m_chunks[m_size / kChunkSize][m_size % kChunkSize]) TMyRecord(std::move(record));
    ++m_size;
}

void RecordArray::pop_back()
{
    assert(m_size > 0);
    --m_size;
    (*this)[m_size].~TMyRecord();
    if (m_size % kChunkSize == 0) {
        freeChunk(m_chunks.back());
        m_chunks.pop_back();
    }
}

void RecordArray::clear()
{
    for (std::size_t i = 0; i < m_size; ++i)
        (*this)[i].~TMyRecord();
    for (TMyRecord* chunk : m_chunks)
        freeChunk(chunk);
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
