#pragma once

#include "core/filelist/filerecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A growable array of records kept in fixed-size chunks of 2 MiB. Growing never moves the records already stored, so
// a million records never need a second copy of the array the way a doubling vector does when it reallocates; and a
// chunk can be mapped with one large page instead of hundreds of small ones, which makes filling it much cheaper.
class RecordArray final
{
public:
    static constexpr std::size_t kChunkBytes = std::size_t(2) << 20;
    static constexpr std::size_t kChunkSize = kChunkBytes / sizeof(TMyRecord);

    RecordArray() = default;
    ~RecordArray();
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    TMyRecord& operator[](std::size_t i) { return m_chunks[i / kChunkSize][i % kChunkSize]; }
    const TMyRecord& operator[](std::size_t i) const { return m_chunks[i / kChunkSize][i % kChunkSize]; }

    void push_back(TMyRecord&& record);
    void pop_back();
    void clear();

    // Removes the records at the given ascending, distinct indices, keeping the order of the others.
    void removeSorted(const std::vector<std::size_t>& indices);

    // Reorders the records so that record i becomes the one that was at order[i]; order is a permutation and is
    // used up as scratch space.
    void permute(std::vector<std::uint32_t>& order);

private:
    static TMyRecord* allocateChunk(bool large);
    static void freeChunk(TMyRecord* chunk);

    std::vector<TMyRecord*> m_chunks;
    std::size_t m_size = 0;
};
