#pragma once

#include "core/filelist/filerecord.h"

#include <cstddef>
#include <vector>

// A growable array of records kept in fixed-size chunks. Growing never moves the records already stored, so a
// million records never need a second copy of the array the way a doubling vector does when it reallocates.
class RecordArray final
{
public:
    static constexpr std::size_t kChunkSize = 4096;

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
    std::vector<std::vector<TMyRecord>> m_chunks;
    std::size_t m_size = 0;
};
