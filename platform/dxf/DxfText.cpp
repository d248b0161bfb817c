#include "dxf/CodePages.h"
#include "dxf/DxfDocument.h"

#include <charconv>
#include <cstdio>

namespace qarx {

std::string DxfGroup::value() const {
    size_t n = valueLine.size();
    while (n > 0 && (valueLine[n - 1] == '\n' || valueLine[n - 1] == '\r'))
        --n;
    return valueLine.substr(0, n);
}

void DxfGroup::setValue(const std::string& v) {
    size_t n = valueLine.size();
    while (n > 0 && (valueLine[n - 1] == '\n' || valueLine[n - 1] == '\r'))
        --n;
    valueLine = v + valueLine.substr(n);
}

std::unique_ptr<DxfRecord> DxfRecord::cloneForCopy() const {
    auto r = std::make_unique<DxfRecord>();
    // Reactors and extension dictionaries belong to the original alone.
    bool inGroup = false;
    for (const DxfGroup& g : groups) {
        if (g.code == 0 && &g != &groups[0]) break; // followers are not copied
        if (g.code == 102) {
            std::string v = g.value();
            inGroup = v.find('{') != std::string::npos;
            continue;
        }
        if (inGroup || g.code == 360) continue;
        r->groups.push_back(g);
    }
    if (loaded) r->loaded.reset(static_cast<AcDbObject*>(loaded->clone()));
    return r;
}

std::string FormatDouble(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string ToUtf8(const std::wstring& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(s[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) {
            std::uint32_t lo = static_cast<std::uint32_t>(s[i + 1]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {
void AppendChar(std::wstring& out, std::uint32_t c) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}
} // namespace

std::wstring FromUtf8(const std::string& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        int n = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        std::uint32_t c = n == 0 ? b : n == 1 ? (b & 0x1F) : n == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = n >= 0 && i + static_cast<size_t>(n) < s.size() + (n == 0 ? 1 : 0);
        for (int k = 1; ok && k <= n; ++k) {
            unsigned char cb = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((cb >> 6) != 2) ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) { // a stray byte stands for itself, as in Latin-1
            AppendChar(out, b);
            ++i;
            continue;
        }
        AppendChar(out, c);
        i += static_cast<size_t>(n) + 1;
    }
    return out;
}

void DxfCodec::setVersion(const std::string& acadver) { utf8_ = acadver >= "AC1021"; }

void DxfCodec::setCodePage(const std::string& page) {
    std::string p;
    for (char c : page)
        p += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Page {
        const char* name;
        const std::uint16_t* table;
    };
    static const Page pages[] = {{"ANSI_1250", kCP1250}, {"ANSI_1251", kCP1251}, {"ANSI_1252", kCP1252},
                                 {"ANSI_1253", kCP1253}, {"ANSI_1254", kCP1254}, {"DOS437", kCP437},
                                 {"DOS850", kCP850},     {"DOS866", kCP866}};
    upper_ = nullptr;
    for (const Page& pg : pages)
        if (p == pg.name) upper_ = pg.table;
}

static int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

std::wstring DxfCodec::decode(const std::string& bytes) const {
    std::wstring chars;
    if (utf8_) {
        chars = FromUtf8(bytes);
    } else {
        const std::uint16_t* table = upper_ ? upper_ : kCP1252;
        for (char ch : bytes) {
            unsigned char b = static_cast<unsigned char>(ch);
            chars += b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(table[b - 0x80]);
        }
    }
    // "\U+XXXX" names a character the byte encoding cannot hold.
    std::wstring out;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] == L'\\' && i + 7 <= chars.size() && chars.compare(i, 3, L"\\U+") == 0) {
            int v = 0;
            bool ok = true;
            for (size_t k = 3; k < 7; ++k) {
                int h = HexDigit(chars[i + k]);
                ok = ok && h >= 0;
                v = v * 16 + h;
            }
            if (ok) {
                AppendChar(out, static_cast<std::uint32_t>(v));
                i += 6;
                continue;
            }
        }
        out += chars[i];
    }
    return out;
}

std::string DxfCodec::encode(const std::wstring& text) const {
    if (utf8_) return ToUtf8(text);
    const std::uint16_t* table = upper_ ? upper_ : kCP1252;
    std::string out;
    for (wchar_t w : text) {
        std::uint32_t c = static_cast<std::uint32_t>(w);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        int byte = -1;
        for (int k = 0; k < 128 && byte < 0; ++k)
            if (table[k] == c) byte = 0x80 + k;
        if (byte >= 0) {
            out += static_cast<char>(byte);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

} // namespace qarx
