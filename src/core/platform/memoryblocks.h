#pragma once

#include <cstddef>

// A block of memory aligned to its size, which must be a power of two. With largePages the system is asked to back
// it with large pages (one page table entry instead of hundreds). Throws std::bad_alloc when none is left.
void* AllocateBlock(std::size_t bytes, bool largePages);
// Gives back a block of AllocateBlock.
void FreeBlock(void* block) noexcept;
