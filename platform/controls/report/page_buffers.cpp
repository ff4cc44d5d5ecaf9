#include "platform/controls/report/page_buffers.h"

#include <malloc.h>

namespace controls::report {

void KeepPageBuffersInTheHeap() {
    // Either setting alone fixes both thresholds at once (the allocator stops adjusting them
    // itself), so both are set.
    mallopt(M_MMAP_THRESHOLD, kPageBufferHeapLimit);
    mallopt(M_TRIM_THRESHOLD, kKeptHeapTop);
}

}  // namespace controls::report
