// Feeds arbitrary bytes to the property-stream reader, as they are and behind the stream's
// magic (so that the fuzzer spends its time past the header). A stream that loads must save
// and load again to the same bytes; any other input must fail with a status, never crash, leak
// or hang.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/com/propexchange.h"

namespace {

void Check(std::span<const std::uint8_t> bytes) {
    com::PropertyBag bag;
    if (com::Failed(com::LoadFromStream(bytes, &bag))) return;
    const auto saved = com::SaveToStream(bag);
    com::PropertyBag again;
    if (com::LoadFromStream(saved, &again) != com::S_OK) std::abort();
    // Doubles compare by value and a NaN never equals itself: compare the bytes instead.
    if (com::SaveToStream(again) != saved) std::abort();
    // Exchanging every kind out of whatever loaded must not fail either.
    auto px = com::PropExchange::ForLoad(again);
    bool b = false;
    std::int16_t s = 0;
    std::int32_t l = 0;
    double d = 0;
    com::Currency c;
    std::string text;
    com::OleColor color;
    com::FontDesc font;
    for (const auto& [name, value] : again.Items()) {
        com::PX_Bool(px, name, b);
        com::PX_Short(px, name, s);
        com::PX_Long(px, name, l);
        com::PX_Double(px, name, d);
        com::PX_Currency(px, name, c);
        com::PX_String(px, name, text);
        com::PX_Color(px, name, color);
        com::PX_Font(px, name, font);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(std::span(data, size));
    std::vector<std::uint8_t> withMagic = {'Z', 'M', 'P', 'X'};
    withMagic.insert(withMagic.end(), data, data + size);
    Check(withMagic);
    return 0;
}
