#include "settings/inifile.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vemora;

namespace {

IniDocument Parsed(const std::string& bytes) {
    return IniDocument::Parse(bytes, {[](std::string_view utf8) { return Gbk(std::string(utf8)); },
                                      [](std::string_view gbk) { return Utf8FromGbk(std::string(gbk)); }});
}

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

} // namespace

TEST(IniFile, ReadsWhatTheProfileFunctionsRead) {
    const std::string gbkSmall = Gbk("小"); // D0 A1: also well-formed two-byte UTF-8
    struct Case {
        const char* name;
        std::string bytes;
        const char *section, *key;
        std::optional<std::string> value;
        IniEncoding encoding = IniEncoding::Gbk;
    };
    const struct {
        const char* topic;
        std::vector<Case> cases;
    } groups[] = {
        {"encodings, every one read as GBK",
         {
             {"GBK", "[Option]\r\nFont=" + Gbk("宋体") + "\r\n", "Option", "Font", Gbk("宋体")},
             {"UTF-8 with BOM", "\xEF\xBB\xBF[Option]\r\nFont=宋体\r\n", "Option", "Font", Gbk("宋体"),
              IniEncoding::Utf8WithBom},
             {"UTF-8", "[Option]\r\nFont=宋体\r\n", "Option", "Font", Gbk("宋体"), IniEncoding::Utf8},
             {"GBK that is also two-byte UTF-8", "[Option]\r\nCity=" + gbkSmall + "\r\n", "Option", "City", gbkSmall},
             {"GBK, one byte broken", "[Option]\r\nCity=" + Gbk("北京") + "\xFF\r\n", "Option", "City",
              Gbk("北京") + "\xFF"},
             {"UTF-16 with BOM", Utf16Le(u"[Option]\r\nFont=微软雅黑\r\n"), "Option", "Font", Gbk("微软雅黑"),
              IniEncoding::Utf16LeWithBom},
             {"ASCII", "[Option]\r\nFont=Arial\r\n", "Option", "Font", "Arial"},
         }},
        {"line ends",
         {
             {"LF", "[Option]\nTop=1\nFont=Arial\n", "Option", "Font", "Arial"},
             {"CR", "[Option]\rTop=1\rFont=Arial", "Option", "Font", "Arial"},
         }},
        {"values lose blanks and one pair of matching quotes, nothing else",
         {
             {"blanks", "[Option]\r\n  Font \t=  Arial Black \t\r\n", "Option", "Font", "Arial Black"},
             {"double quotes", "[Option]\r\nCity=\"  a b  \"\r\n", "Option", "City", "  a b  "},
             {"single quotes", "[Option]\r\nCity='x'\r\n", "Option", "City", "x"},
             {"unmatched quotes", "[Option]\r\nCity=\"x'\r\n", "Option", "City", "\"x'"},
             {"a lone quote", "[Option]\r\nCity=\"\r\n", "Option", "City", "\""},
             {"no inline comments", "[Option]\r\nCity=a ; b\r\n", "Option", "City", "a ; b"},
             {"empty value", "[Option]\r\nFont=\r\n", "Option", "Font", ""},
             {"second '=' is the value's", "[Option]\r\nCity=a=b\r\n", "Option", "City", "a=b"},
         }},
        {"names ignore ASCII case, GBK characters whose trail bytes are letters do not",
         {
             {"case", "[OPTION]\r\nfONT=Arial\r\n", "Option", "Font", "Arial"},
             {"GBK trail byte 'A'", "[Option]\r\n\xB0\x41=1\r\n", "Option", "\xB0\x61", std::nullopt},
             {"GBK name", "[Option]\r\n\xB0\x41=1\r\n", "Option", "\xB0\x41", "1"},
         }},
        {"comments, repeats, and keys outside the section",
         {
             {"comments", "[Option]\r\n;Font=Arial\r\n# Font=Tahoma\r\nFont=Verdana\r\n", "Option", "Font", "Verdana"},
             {"a commented key only", "[Option]\r\n;Font=Arial\r\n", "Option", "Font", std::nullopt},
             {"first key of a name", "[Option]\r\nFont=A\r\nfont=B\r\n", "Option", "Font", "A"},
             {"first section of a name", "[Option]\r\nTop=1\r\n[Other]\r\n[option]\r\nFont=B\r\n", "Option", "Font",
              std::nullopt},
             {"before any section", "Font=Arial\r\n[Option]\r\nTop=1\r\n", "Option", "Font", std::nullopt},
             {"in another section", "[Other]\r\nFont=Arial\r\n[Option]\r\n", "Option", "Font", std::nullopt},
             {"no section", "", "Option", "Font", std::nullopt},
             {"a line without '='", "[Option]\r\nFont\r\n", "Option", "Font", std::nullopt},
             {"header with blanks", "  [ Option ]  \r\nFont=Arial\r\n", "Option", "Font", "Arial"},
             // "[" and a GBK character whose trail byte is ']' (81 5D) is no header.
             {"no false header", "[Option]\r\nTop=1\r\n[\x81\x5D\r\nFont=Arial\r\n", "Option", "Font", "Arial"},
         }},
    };
    for (const auto& [topic, cases] : groups) {
        for (const Case& c : cases) {
            const IniDocument doc = Parsed(c.bytes);
            EXPECT_EQ(doc.Get(c.section, c.key), c.value) << topic << ": " << c.name;
            EXPECT_EQ(doc.SourceEncoding(), c.encoding) << topic << ": " << c.name;
        }
    }
}

TEST(IniFile, WritingKeepsWhatTheProgramDoesNotKnow) {
    const std::string comment = "; " + Gbk("时钟的设置");
    const std::string before =
        comment + "\n[Option]\nFont=" + Gbk("宋体") + "\nPlugin=keep me\n  top = 0\n\n[Extra]\nTop=9\n";
    IniDocument doc = Parsed(before);
    doc.Set("Option", "Font", Gbk("微软雅黑"));
    doc.Set("Option", "Top", "1");
    doc.Set("Option", "City", Gbk("北京"));
    doc.Set("Weather", "Host", "127.0.0.1:8765");
    EXPECT_EQ(doc.Serialize(), comment + "\r\n[Option]\r\nFont=" + Gbk("微软雅黑") +
                                   "\r\nPlugin=keep me\r\ntop=1\r\nCity=" + Gbk("北京") +
                                   "\r\n\r\n[Extra]\r\nTop=9\r\n\r\n[Weather]\r\nHost=127.0.0.1:8765\r\n");

    // A UTF-8 file is written back in UTF-8, its comments as they were; a new file starts with its section.
    IniDocument utf8 = Parsed("\xEF\xBB\xBF# 注释\n[Option]\nFont=宋体\n");
    utf8.Set("Option", "Top", "1");
    utf8.Set("Option", "City", Gbk("北京"));
    EXPECT_EQ(utf8.Serialize(), "\xEF\xBB\xBF# 注释\r\n[Option]\r\nFont=宋体\r\nTop=1\r\nCity=北京\r\n");
    IniDocument empty;
    empty.Set("Option", "Top", "0");
    EXPECT_EQ(empty.Serialize(), "[Option]\r\nTop=0\r\n");
}

TEST(IniFile, EveryValueReadsBackAsWritten) {
    const std::string values[] = {"", " a ", "\"q\"", "'x'", "\"", "a ; b", "\t", Gbk("北京") + " "};
    IniDocument doc;
    for (const std::string& v : values) {
        doc.Set("Option", "City", v);
        EXPECT_EQ(Parsed(doc.Serialize()).Get("Option", "City"), v) << '"' << v << '"';
    }
    // A line break would start a key of its own.
    doc.Set("Option", "City", "a\r\nTop=1");
    const IniDocument reread = Parsed(doc.Serialize());
    EXPECT_EQ(reread.Get("Option", "City"), "a  Top=1");
    EXPECT_EQ(reread.Get("Option", "Top"), std::nullopt);
}

TEST(IniFile, TheSettingsRecordStandsOnADocument) {
    IniDocument doc = Parsed("[Option]\r\nFont=宋体\r\nTransparent=120\r\nPlugin=1\r\n");
    IniDocumentStore store(doc);
    Settings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.font, Gbk("宋体"));
    EXPECT_EQ(s.transparency, 120);
    EXPECT_TRUE(store.Has("Font"));
    EXPECT_FALSE(store.Has("City"));

    s.city = std::string(3000, 'x');
    SaveSettings(store, s);
    const IniDocument saved = Parsed(doc.Serialize());
    EXPECT_EQ(saved.Get("Option", "Plugin"), "1");
    EXPECT_EQ(saved.Get("Option", "Font"), Gbk("宋体"));
    EXPECT_EQ(store.Read("City", "").size(), kMaxProfileString) << "as long as the profile functions give";
}

// A save changes the keys it writes and nothing else, whatever the file's
// encoding: text GBK has no character for, and values longer than the
// program ever reads, stay as they were.
TEST(IniFile, SavingKeepsEveryByteItDoesNotWrite) {
    const std::string longValue(5000, 'v');
    const struct {
        const char* name;
        std::string head;
        std::vector<std::string> untouched;
    } files[] = {
        {"UTF-8", "", {"# 🙂 Ελληνικά", "Plugin=☃ snow 🙂", "Long=" + longValue}},
        {"UTF-8 with BOM", "\xEF\xBB\xBF", {"# 🙂", "Plugin=☃", "Long=" + longValue}},
        {"GBK", "", {"# " + Gbk("注释"), "Plugin=" + Gbk("北京") + "\xFF", "Long=" + longValue}},
    };
    for (const auto& f : files) {
        std::string bytes = f.head + "[Option]\r\n";
        for (const std::string& line : f.untouched)
            bytes += line + "\r\n";
        IniDocument doc = Parsed(bytes);
        IniDocumentStore store(doc);
        Settings s;
        LoadSettings(store, s);
        s.place = Gbk("长沙");
        SaveSettings(store, s);
        const std::string saved = doc.Serialize();
        EXPECT_TRUE(saved.starts_with(f.head + "[Option]\r\n")) << f.name;
        for (const std::string& line : f.untouched)
            EXPECT_NE(saved.find("\n" + line + "\r\n"), std::string::npos) << f.name << ": " << line.substr(0, 20);
        EXPECT_EQ(Parsed(saved).Get("Option", "Place"), Gbk("长沙")) << f.name;
    }
}

// What the program wrote in GBK reads back as GBK, even where every byte of it
// also happens to form UTF-8; a file an editor saved is still guessed.
TEST(IniFile, WhatTheProgramWroteReadsBackInItsEncoding) {
    for (const char* place : {"鸠江", "颍东", "长沙"}) {
        IniDocument doc;
        IniDocumentStore store(doc);
        Settings s;
        s.font = "Arial";
        s.place = Gbk(place);
        SaveSettings(store, s);
        const IniDocument reread = Parsed(doc.Serialize());
        EXPECT_EQ(reread.SourceEncoding(), IniEncoding::Gbk) << place;
        EXPECT_EQ(reread.Get("Option", "Place"), Gbk(place)) << place;
        // Written again, it stays as it is: one marker line at most.
        EXPECT_EQ(Parsed(reread.Serialize()).Serialize(), reread.Serialize()) << place;
    }
    // UTF-8 whose Chinese the program replaced by ASCII keeps saying UTF-8.
    IniDocument utf8 = Parsed("[Option]\r\n; café\r\nFont=宋体\r\n");
    utf8.Set("Option", "Font", "Arial");
    const IniDocument reread = Parsed(utf8.Serialize());
    EXPECT_EQ(reread.Get("Option", "Font"), "Arial");
    EXPECT_NE(reread.Serialize().find("; café\r\n"), std::string::npos);
    EXPECT_EQ(Parsed("[Option]\r\nPlace=鸠江\r\n").SourceEncoding(), IniEncoding::Utf8)
        << "an editor's file is guessed";
}
