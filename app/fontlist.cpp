#include "app/fontlist.h"

#include <algorithm>
#include <cctype>

namespace vemora {

std::vector<std::string> InstalledFontList(std::vector<std::string> families) {
    const auto lessNoCase = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    };
    std::sort(families.begin(), families.end(), lessNoCase);
    families.erase(std::unique(families.begin(), families.end()), families.end());
    std::erase_if(families, [](const std::string& f) { return f.find('@') != std::string::npos; });
    return families;
}

} // namespace vemora
