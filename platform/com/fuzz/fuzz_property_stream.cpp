// Feeds arbitrary bytes to the property-stream reader. A stream that loads must save and load
// again to the same bag; any other input must fail with a status, never crash or hang.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/com/propexchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    com::PropertyBag bag;
    if (com::Failed(com::LoadFromStream(std::span(data, size), &bag))) return 0;
    const auto saved = com::SaveToStream(bag);
    com::PropertyBag again;
    if (com::LoadFromStream(saved, &again) != com::S_OK) std::abort();
    // Doubles compare by value, so a NaN never equals itself: compare the bytes instead.
    if (com::SaveToStream(again) != saved) std::abort();
    return 0;
}
