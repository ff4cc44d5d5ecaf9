// The C library allocator's part in writing and printing reports.
//
// Qt's PDF engine (behind a PDF file and a printer alike) compresses each page through two
// buffers of 16 MB it allocates and frees again at every page. With the allocator's own
// thresholds, blocks that large come from the top of the heap and, freed, leave more free space
// there than the allocator keeps, so it hands them back to the kernel: every page then maps the
// memory again and faults in what it touches, which made a report of a few thousand pages a
// third slower on a quiet machine and twice as slow on a loaded one.
#pragma once

namespace controls::report {

// Keeps blocks up to kPageBufferHeapLimit in the heap (never a mapping of their own) and up to
// kKeptHeapTop of free memory at the heap's top, so that the page buffers of one page are reused
// by the next. Call it once at the start of a program that prints or writes PDF files, before it
// starts any thread. (The allocator retains at most those 64 MB more than it otherwise would.)
void KeepPageBuffersInTheHeap();

inline constexpr int kPageBufferHeapLimit = 32 * 1024 * 1024;
inline constexpr int kKeptHeapTop = 64 * 1024 * 1024;

}  // namespace controls::report
