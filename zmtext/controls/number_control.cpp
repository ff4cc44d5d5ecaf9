// What the numeric fields share outside their template: the words of their old property block.
#include "zmtext/controls/number_control.h"

namespace zmtext {

std::uint32_t ZMBlockWord(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace zmtext
