#include "core/platform/memoryblocks.h"

#include <cstdlib>
#include <new>

#include <sys/mman.h>

void* AllocateBlock(std::size_t bytes, bool largePages)
{
    void* memory = nullptr;
    if (::posix_memalign(&memory, bytes, bytes) != 0)
        throw std::bad_alloc();
    if (largePages)
        ::madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
}

void FreeBlock(void* block) noexcept
{
    std::free(block);
}
