#include "weather/forecast_win.h"

#include "base/text_win.h"

#include <algorithm>

namespace vemora {

std::string ServiceHostText(const ServiceBase& base) {
    const unsigned short port = base.port ? base.port : (base.Secure() ? 443 : 80);
    return base.host + ":" + std::to_string(port);
}

TextMeasure::TextMeasure(const std::string& fontName, int emSize) {
    const std::wstring family = fontName.empty() ? std::wstring(L"宋体") : GbkToWide(fontName);
    ScopedWindowDC screen(nullptr);
    dc_.reset(CreateCompatibleDC(screen.get()));
    font_.reset(CreateFontW(-std::max(emSize, 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, family.c_str()));
    if (dc_ && font_)
        select_.emplace(dc_.get(), font_.get());
}

int TextMeasure::Width(std::string_view utf8) const {
    const std::wstring text = Utf8ToWide(utf8);
    if (text.empty())
        return 0;
    SIZE extent{};
    // Without a device to measure on, a rough width: an em per character.
    if (!select_ || !GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &extent))
        return static_cast<int>(text.size()) * 16;
    return extent.cx;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".new";
    {
        UniqueKernelHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return false;
        FlushFileBuffers(file.get());
    }
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path, std::size_t maxBytes) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(maxBytes))
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

} // namespace vemora
