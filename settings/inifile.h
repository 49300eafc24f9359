#pragma once
#include "settings/settings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

// How the bytes of a settings file were written.
enum class IniEncoding { Gbk, Utf8, Utf8WithBom, Utf16LeWithBom, Utf16BeWithBom };

// Turns UTF-8 text into GBK bytes, characters that GBK lacks (and bytes that
// are no UTF-8) as '?'. The shell passes code page 936's conversion, the
// tests iconv's.
using Utf8ToGbkConverter = std::function<std::string(std::string_view utf8)>;
// And back: GBK bytes as UTF-8.
using GbkToUtf8Converter = std::function<std::string(std::string_view gbk)>;
struct IniTextConverters {
    Utf8ToGbkConverter toGbk;
    GbkToUtf8Converter toUtf8;
};

// The encoding of a settings file, from its bytes. A byte-order mark decides.
// A file the program wrote never needs the guess below: see Serialize.
// Without one the file is UTF-8 when all of it is well-formed UTF-8 and at
// least one character takes three or four bytes; otherwise GBK, ASCII
// included. GBK text is well-formed UTF-8 only by chance, and that chance is
// real for short text whose characters all read as two-byte UTF-8 (小 is D0 A1,
// which UTF-8 reads as a Cyrillic letter); Chinese in UTF-8 takes three bytes
// a character, and a run of GBK characters lines up with three-byte UTF-8
// sequences from start to end almost never. A UTF-8 file holding only
// two-byte characters (é, ü) is therefore read as GBK.
IniEncoding DetectIniEncoding(std::string_view bytes);

// A settings file as lines of text, kept whole and in the file's own
// encoding, so that what the program does not know (other sections and keys,
// comments, blank lines, their order, text that GBK cannot hold, values of
// any length) is written back as it was. Reading follows the system's profile functions:
// section and key names compare without regard to ASCII case; the first
// section of a name and its first key of a name count; lines before the first
// section belong to none; a value loses the blanks around it and one pair of
// matching quotes ("..." or '...'); a line starting with ';' or '#' is a
// comment. All strings are GBK.
class IniDocument {
public:
    IniDocument() = default;

    // The file's bytes in any encoding DetectIniEncoding names. A file in a
    // Unicode encoding is kept as UTF-8 lines; what is read from it or
    // written to it goes through the converters.
    static IniDocument Parse(std::string_view bytes, IniTextConverters converters);

    // The value of the key, or nothing when the section or the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Sets the key's value: its line is replaced where it stands (the name
    // keeps its spelling); a new key goes after the last line of its section,
    // a new section at the end of the file. A value that would not read back
    // as it is (blanks or a quote at its ends) is written in double quotes;
    // line breaks in a value become blanks.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the section, its header and every line up to the next section.
    void RemoveSection(std::string_view section);

    // The file's bytes in the encoding it was read in (GBK for a new file),
    // lines ended by CR LF. What the program writes reads back in the
    // encoding it was written in, without a guess: GBK bytes that would pass
    // for UTF-8 (鸠江 is, byte for byte, well-formed UTF-8) are preceded by a
    // comment line that no UTF-8 text holds, and UTF-8 that would pass for
    // GBK gets a byte-order mark.
    std::string Serialize() const;

    // How the parsed bytes were written.
    IniEncoding SourceEncoding() const { return sourceEncoding_; }

private:
    struct Span {
        std::size_t begin = 0, end = 0; // lines [begin, end) after the header
        bool found = false;
    };
    Span FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Span& span, std::string_view key) const;
    bool Unicode() const { return sourceEncoding_ != IniEncoding::Gbk; }
    // GBK text of the program as the lines hold it, and back.
    std::string FromGbk(std::string_view gbk) const;
    std::string ToGbk(std::string_view text) const;

    std::vector<std::string> lines_;
    IniEncoding sourceEncoding_ = IniEncoding::Gbk;
    IniTextConverters converters_;
};

// The settings record's key-by-key access over a document, in section
// "Option": the shell reads the file into a document, loads, later saves into
// the same document and writes its bytes back.
class IniDocumentStore : public ProfileStore {
public:
    explicit IniDocumentStore(IniDocument& document) : document_(document) {}
    std::string Read(const char* key, const std::string& defaultValue) override;
    void Write(const char* key, const std::string& value) override;

    // Whether the document has the key: a Font key left out of the file means
    // the default font, and a stored one is kept.
    bool Has(const char* key) const;

private:
    IniDocument& document_;
};

} // namespace vemora
