#pragma once
#include <iconv.h>

#include <stdexcept>
#include <string>

inline std::string Iconv(const char* to, const char* from, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no GBK converter");
    std::string out(text.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        throw std::runtime_error(std::string("text has no ") + to + " form: " + text);
    out.resize(out.size() - outLeft);
    return out;
}

// UTF-8 literals of the tests turned into the GBK bytes the program keeps.
inline std::string Gbk(const std::string& utf8) {
    return Iconv("GBK", "UTF-8", utf8);
}
// And GBK bytes back into UTF-8.
inline std::string Utf8FromGbk(const std::string& gbk) {
    return Iconv("UTF-8", "GBK", gbk);
}
