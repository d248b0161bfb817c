#include "Script.h"

namespace qhost {

std::vector<std::wstring> Tokenize(const std::wstring& line) {
    std::vector<std::wstring> out;
    size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t' || line[i] == L'\r'))
            ++i;
        if (i >= line.size()) break;
        std::wstring tok;
        if (line[i] != L'"') {
            while (i < line.size() && line[i] != L' ' && line[i] != L'\t' && line[i] != L'\r')
                tok += line[i++];
            out.push_back(tok);
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            wchar_t c = line[i++];
            if (c == L'"') {
                closed = true;
                break;
            }
            if (c != L'\\') {
                tok += c;
                continue;
            }
            if (i >= line.size()) throw LineError("escape at the end of the line");
            wchar_t e = line[i++];
            switch (e) {
            case L'"': tok += L'"'; break;
            case L'\\': tok += L'\\'; break;
            case L'n': tok += L'\n'; break;
            case L'r': tok += L'\r'; break;
            case L't': tok += L'\t'; break;
            case L'u': {
                if (i + 4 > line.size()) throw LineError("\\u needs four hex digits");
                std::wstring hex = line.substr(i, 4);
                size_t used = 0;
                unsigned long v = 0;
                try {
                    v = std::stoul(hex, &used, 16);
                } catch (...) {
                    used = 0;
                }
                if (used != 4) throw LineError("\\u needs four hex digits");
                tok += static_cast<wchar_t>(v);
                i += 4;
                break;
            }
            default: throw LineError("unknown escape \\" + std::string(1, static_cast<char>(e)));
            }
        }
        if (!closed) throw LineError("unterminated quote");
        out.push_back(tok);
    }
    return out;
}

} // namespace qhost
