// Large blocks: mapped, aligned to a huge page, and marked for one.

#include "suiteframe/platform/largeblock_p.h"

#include "suiteframe/platform/runtimeerror.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform::largeblock {

void Unmap::operator()(char *block) const noexcept
{
    munmap(block, BlockBytes);
}

Block allocate()
{
    // Twice the size is mapped so that an aligned block lies within; the rest goes back.
    const std::size_t mapped = 2 * BlockBytes;
    void *area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        throw RuntimeError(ErrorNumber::OutOfMemory);
    auto *start = static_cast<char *>(area);
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    char *aligned = start + ((BlockBytes - address % BlockBytes) % BlockBytes);
    if (aligned > start)
        munmap(start, std::size_t(aligned - start));
    if (char *end = aligned + BlockBytes; end < start + mapped)
        munmap(end, std::size_t(start + mapped - end));
    // Without huge pages (the system's setting, another architecture) the block is just
    // memory.
    madvise(aligned, BlockBytes, MADV_HUGEPAGE);
    return Block(aligned);
}

} // namespace platform::largeblock
