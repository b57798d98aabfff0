#include "model/Error.h"

namespace tadmor {

std::string EscapedText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            escaped += c;
            continue;
        }
        constexpr char kHex[] = "0123456789abcdef";
        escaped += {'\\', 'x', kHex[byte / 16], kHex[byte % 16]};
    }
    return escaped;
}

std::string ShownText(std::string_view text, std::size_t most) {
    return "\"" + EscapedText(text.substr(0, most)) + (text.size() > most ? "...\"" : "\"");
}

}  // namespace tadmor
