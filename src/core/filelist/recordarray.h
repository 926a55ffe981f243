#pragma once

#include "core/filelist/filerecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A growable array of records. The records live in fixed-size chunks of 2 MiB and never move: the array's order is
// a separate vector of pointers to them. So growing never needs a second copy of the records the way a doubling
// vector does when it reallocates, a chunk can be mapped with one large page instead of hundreds of small ones, and
// sorting or removing moves pointers instead of records. A removed record's place in its chunk stays unused until
// the array is cleared.
class RecordArray final
{
public:
    static constexpr std::size_t kChunkBytes = std::size_t(2) << 20;
    static constexpr std::size_t kChunkSize = kChunkBytes / sizeof(TMyRecord);

    RecordArray() = default;
    ~RecordArray();
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;

    std::size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }

    TMyRecord& operator[](std::size_t i) { return *m_order[i]; }
    const TMyRecord& operator[](std::size_t i) const { return *m_order[i]; }

    void push_back(TMyRecord&& record);
    void clear();

    // Removes the records at the given ascending, distinct indices, keeping the order of the others.
    void removeSorted(const std::vector<std::size_t>& indices);

    // Reorders the records so that record i becomes the one that was at order[i]; order is a permutation.
    void permute(const std::vector<std::uint32_t>& order);

private:
    static TMyRecord* allocateChunk(bool large);
    static void freeChunk(TMyRecord* chunk);

    std::vector<TMyRecord*> m_chunks;
    std::size_t m_used = 0; // places taken in the chunks, removed records included
    std::vector<TMyRecord*> m_order;
};
