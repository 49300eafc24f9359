#include "settings/inifile.h"

#include "base/gbk.h"
#include "base/utf8.h"

#include <algorithm>

namespace vemora {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The first line of a GBK file the program writes whose bytes would pass for
// UTF-8: "; Vemora 的设置" in GBK, where 的 (B5 C4) starts with a byte that
// no UTF-8 character starts with.
constexpr std::string_view kGbkMarkerLine = "; Vemora \xB5\xC4\xC9\xE8\xD6\xC3";

// How long the character at text[at] is in the lines' encoding.
using CharLength = std::size_t (*)(std::string_view, std::size_t);

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsBlankLine(std::string_view line) {
    return Trim(line).empty();
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare without regard to ASCII case. The trail byte of a GBK
// character can be a letter (B0 41), so double-byte characters compare as
// they are: folding their trail bytes would make different characters equal.
bool SameName(std::string_view a, std::string_view b, CharLength charLength) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = charLength(a, i);
        if (n > 1 ? a.substr(i, n) != b.substr(i, n) : AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
        i += n;
    }
    return true;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    const auto unit = [&](char32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::size_t i = 0; i < text.size(); i += Utf8CharLength(text, i)) {
        const char32_t c = Utf8CodePoint(text, i);
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

// The name of a section header line ("[Option]"), up to the line's last ']'
// as the profile functions read it; nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line, CharLength charLength) {
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    std::optional<std::size_t> close;
    for (std::size_t i = 1; i < line.size(); i += charLength(line, i))
        if (line[i] == ']')
            close = i;
    if (!close)
        return std::nullopt;
    return Trim(line.substr(1, *close - 1));
}

struct KeyLine {
    std::string_view name;
    std::string_view value; // as written, blanks and quotes included
};

// A "name=value" line. '=' never occurs inside a GBK character (trail bytes
// start at 0x40) nor inside a UTF-8 one, so the first one found is the separator.
std::optional<KeyLine> ParseKeyLine(std::string_view line, CharLength charLength) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || SectionName(trimmed, charLength))
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = Trim(trimmed.substr(0, equals));
    if (name.empty())
        return std::nullopt;
    return KeyLine{name, trimmed.substr(equals + 1)};
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string ValueAsRead(std::string_view written) {
    std::string_view value = Trim(written);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string ValueAsWritten(std::string_view value) {
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    const bool wouldChange =
        !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()) ||
                          (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front()));
    return wouldChange ? '"' + text + '"' : text;
}

} // namespace

IniEncoding DetectIniEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom))
        return IniEncoding::Utf8WithBom;
    if (bytes.starts_with("\xFF\xFE"))
        return IniEncoding::Utf16LeWithBom;
    if (bytes.starts_with("\xFE\xFF"))
        return IniEncoding::Utf16BeWithBom;
    bool longSequence = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = Utf8SequenceLength(bytes, i);
        if (n == 0)
            return IniEncoding::Gbk;
        longSequence = longSequence || n >= 3;
        i += n;
    }
    return longSequence ? IniEncoding::Utf8 : IniEncoding::Gbk;
}

IniDocument IniDocument::Parse(std::string_view bytes, IniTextConverters converters) {
    IniDocument document;
    document.sourceEncoding_ = DetectIniEncoding(bytes);
    document.converters_ = std::move(converters);
    std::string text;
    switch (document.sourceEncoding_) {
    case IniEncoding::Gbk:
    case IniEncoding::Utf8:
        text = bytes;
        break;
    case IniEncoding::Utf8WithBom:
        text = bytes.substr(kUtf8Bom.size());
        break;
    case IniEncoding::Utf16LeWithBom:
    case IniEncoding::Utf16BeWithBom:
        text = Utf16ToUtf8(bytes.substr(2), document.sourceEncoding_ == IniEncoding::Utf16BeWithBom);
        break;
    }
    document.lines_ = SplitLines(text);
    return document;
}

std::string IniDocument::FromGbk(std::string_view gbk) const {
    return Unicode() ? converters_.toUtf8(gbk) : std::string(gbk);
}

std::string IniDocument::ToGbk(std::string_view text) const {
    return Unicode() ? converters_.toGbk(text) : std::string(text);
}

IniDocument::Span IniDocument::FindSection(std::string_view section) const {
    const CharLength charLength = Unicode() ? Utf8CharLength : GbkCharLength;
    const std::string wanted = FromGbk(section);
    Span span;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i], charLength);
        if (!name)
            continue;
        if (span.found) {
            span.end = i;
            return span;
        }
        if (SameName(*name, wanted, charLength)) {
            span = {i + 1, lines_.size(), true};
        }
    }
    return span;
}

std::optional<std::size_t> IniDocument::FindKey(const Span& span, std::string_view key) const {
    const CharLength charLength = Unicode() ? Utf8CharLength : GbkCharLength;
    const std::string wanted = FromGbk(key);
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const auto line = ParseKeyLine(lines_[i], charLength);
        if (line && SameName(line->name, wanted, charLength))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const Span span = FindSection(section);
    if (!span.found)
        return std::nullopt;
    const auto at = FindKey(span, key);
    if (!at)
        return std::nullopt;
    const CharLength charLength = Unicode() ? Utf8CharLength : GbkCharLength;
    return ToGbk(ValueAsRead(ParseKeyLine(lines_[*at], charLength)->value));
}

void IniDocument::RemoveSection(std::string_view section) {
    const Span span = FindSection(section);
    if (span.found)
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span.begin - 1),
                     lines_.begin() + static_cast<std::ptrdiff_t>(span.end));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const CharLength charLength = Unicode() ? Utf8CharLength : GbkCharLength;
    const std::string written = FromGbk(ValueAsWritten(value));
    const Span span = FindSection(section);
    if (!span.found) {
        if (!lines_.empty() && !IsBlankLine(lines_.back()))
            lines_.emplace_back();
        lines_.push_back("[" + FromGbk(section) + "]");
        lines_.push_back(FromGbk(key) + "=" + written);
        return;
    }
    if (const auto at = FindKey(span, key)) {
        lines_[*at] = std::string(ParseKeyLine(lines_[*at], charLength)->name) + "=" + written;
        return;
    }
    // After the section's last line that is not blank, so that the blank
    // line before the next section stays where it is.
    std::size_t at = span.end;
    while (at > span.begin && IsBlankLine(lines_[at - 1]))
        --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), FromGbk(key) + "=" + written);
}

std::string IniDocument::Serialize() const {
    std::string text;
    for (const std::string& line : lines_)
        text += line + "\r\n";
    switch (sourceEncoding_) {
    case IniEncoding::Gbk:
        if (DetectIniEncoding(text) != IniEncoding::Gbk)
            text = std::string(kGbkMarkerLine) + "\r\n" + text;
        return text;
    case IniEncoding::Utf8:
        if (DetectIniEncoding(text) == IniEncoding::Utf8 ||
            std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return text;
        [[fallthrough]];
    case IniEncoding::Utf8WithBom:
        return std::string(kUtf8Bom) + text;
    case IniEncoding::Utf16LeWithBom:
        return "\xFF\xFE" + Utf8ToUtf16(text, false);
    case IniEncoding::Utf16BeWithBom:
        return "\xFE\xFF" + Utf8ToUtf16(text, true);
    }
    return text;
}

std::string IniDocumentStore::Read(const char* key, const std::string& defaultValue) {
    const std::optional<std::string> value = document_.Get(kSettingsSection, key);
    return CutGbk(value ? *value : defaultValue, kMaxProfileString);
}

void IniDocumentStore::Write(const char* key, const std::string& value) {
    document_.Set(kSettingsSection, key, value);
}

bool IniDocumentStore::Has(const char* key) const {
    return document_.Get(kSettingsSection, key).has_value();
}

} // namespace vemora
