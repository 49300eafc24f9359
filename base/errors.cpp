#include "base/errors.h"

#include <cctype>

namespace vemora {

std::string ApplicationTitle(std::string_view exeFileName) {
    const size_t slash = exeFileName.find_last_of("\\/");
    if (slash != std::string_view::npos)
        exeFileName.remove_prefix(slash + 1);
    std::string title(exeFileName.substr(0, exeFileName.find('.')));
    for (size_t i = 1; i < title.size(); ++i)
        title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
    return title;
}

std::string GdiplusStatusName(int status) {
    static const char* const kNames[] = {
        "Ok",
        "GenericError",
        "InvalidParameter",
        "OutOfMemory",
        "ObjectBusy",
        "InsufficientBuffer",
        "NotImplemented",
        "Win32Error",
        "WrongState",
        "Aborted",
        "FileNotFound",
        "ValueOverflow",
        "AccessDenied",
        "UnknownImageFormat",
        "FontFamilyNotFound",
        "FontStyleNotFound",
        "NotTrueTypeFont",
        "UnsupportedGdiplusVersion",
        "GdiplusNotInitialized",
        "PropertyNotFound",
        "PropertyNotSupported",
        "ProfileNotFound",
    };
    if (status < 0 || status >= static_cast<int>(std::size(kNames)))
        return "<UnKnown>";
    return kNames[status];
}

} // namespace vemora
