// Prints what the localized loaders give in this process's user language,
// one JSON value a line, for the Wine tests to compare.
#include "host/Module.h"
#include "res/resource.h"
#include "ui/Localization.h"

#include "dxf/DxfDocument.h"

#include <cstdio>
#include <string>

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

namespace {

std::string Quote(const std::wstring& s) {
    std::string out = "\"";
    for (char c : qarx::ToUtf8(s)) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\r') {
            out += "\\r";
            continue;
        }
        if (c == '\t') {
            out += "\\t";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

} // namespace

int main() {
    std::printf("%u\n", UserLanguage());
    std::printf("%s\n", Quote(LoadLocalizedString(0)).c_str());
    for (unsigned id : {IDS_ONLYTEXTS, IDS_HINT_STYLE, IDS_CARET, IDS_INFORMATION})
        std::printf("%s\n", Quote(LoadLocalizedString(id)).c_str());
    std::printf("%s\n", Quote(FormatLocalizedString(IDS_REPLACED, 1)).c_str());
    std::printf("%s\n", Quote(FormatLocalizedString(IDS_REPLACED, 3)).c_str());
    HMENU menu = LoadLocalizedMenu(ModuleInstance(), IDR_MENU);
    WCHAR text[128] = {};
    GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
    std::printf("%s\n", Quote(text).c_str());
    GetMenuStringW(menu, ID_EDIT_PASTE, text, 128, MF_BYCOMMAND);
    std::printf("%s\n", Quote(text).c_str());
    DestroyMenu(menu);
    return 0;
}
