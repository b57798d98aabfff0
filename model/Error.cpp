#include "model/Error.h"

namespace tadmor {

std::string ShownText(std::string_view text, std::size_t most) {
    std::string quoted = "\"";
    for (const char c : text.substr(0, most)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            quoted += c;
            continue;
        }
        constexpr char kHex[] = "0123456789abcdef";
        quoted += {'\\', 'x', kHex[byte / 16], kHex[byte % 16]};
    }
    return quoted + (text.size() > most ? "...\"" : "\"");
}

}  // namespace tadmor
