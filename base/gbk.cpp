#include "base/gbk.h"

namespace vemora {

std::size_t GbkCharLength(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && IsGbkLeadByte(static_cast<unsigned char>(text[at])) &&
                   IsGbkTrailByte(static_cast<unsigned char>(text[at + 1]))
               ? 2
               : 1;
}

std::string CutBetweenCharacters(std::string_view text, std::size_t maxBytes,
                                 std::size_t (*charLength)(std::string_view, std::size_t)) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t step = charLength(text, end);
        if (end + step > maxBytes)
            break;
        end += step;
    }
    return std::string(text.substr(0, end));
}

std::string CutGbk(std::string_view text, std::size_t maxBytes) {
    return CutBetweenCharacters(text, maxBytes, GbkCharLength);
}

} // namespace vemora
