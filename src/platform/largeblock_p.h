// Internal to the library: memory for stores of hundreds of megabytes, in blocks the
// system may back with huge pages. Not installed.

#pragma once

#include <cstddef>
#include <memory>

namespace platform::largeblock {

// One huge page of the systems the suite runs on (x86-64, arm64 with 4 KB pages).
inline constexpr std::size_t BlockBytes = std::size_t(2) << 20;

struct Unmap
{
    void operator()(char *block) const noexcept;
};
using Block = std::unique_ptr<char[], Unmap>;

// A block of BlockBytes aligned to its size, which the system is asked to back with a
// huge page: a store filled with a million records then takes one page fault for two
// megabytes instead of one for every four kilobytes. Its pages take memory as they are
// first written. Throws platform::RuntimeError 7 (out of memory) where none is left.
Block allocate();

} // namespace platform::largeblock
