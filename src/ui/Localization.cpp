#include "ui/Localization.h"

#include "res/resource.h"

#ifdef _WIN32

#include "host/Module.h"

#include <cstdarg>
#include <new>

unsigned UserLanguage() { return GetUserDefaultLangID(); }

std::wstring LoadLocalizedString(unsigned id, unsigned language) {
    // Strings are stored sixteen to a block, each counted, in block id/16 + 1.
    HINSTANCE inst = ModuleInstance();
    HRSRC res = FindResourceExW(inst, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), static_cast<WORD>(language));
    if (!res) return std::wstring();
    HGLOBAL data = LoadResource(inst, res);
    auto* p = static_cast<const WCHAR*>(data ? LockResource(data) : nullptr);
    if (!p) return std::wstring();
    const WCHAR* end = p + SizeofResource(inst, res) / sizeof(WCHAR);
    for (unsigned i = 0; i < id % 16 && p < end; ++i)
        p += 1 + *p;
    if (p >= end || *p == 0) return std::wstring();
    return std::wstring(p + 1, p + 1 + *p);
}

std::wstring FormatLocalizedString(unsigned id, ...) {
    std::wstring pattern = LoadLocalizedString(id);
    va_list args;
    va_start(args, id);
    WCHAR* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, pattern.c_str(), 0, 0,
                             reinterpret_cast<LPWSTR>(&buffer), 0, &args);
    va_end(args);
    if (n == 0 || !buffer) throw std::bad_alloc();
    std::wstring out(buffer, n);
    LocalFree(buffer);
    return out;
}

HMENU LoadLocalizedMenu(HINSTANCE instance, unsigned id) {
    HRSRC res = FindResourceExW(instance, RT_MENU, MAKEINTRESOURCEW(id), static_cast<WORD>(UserLanguage()));
    if (!res) res = FindResourceExW(instance, RT_MENU, MAKEINTRESOURCEW(id), static_cast<WORD>(kLangEnglish));
    // Without even the English menu the editor has none.
    HGLOBAL data = res ? LoadResource(instance, res) : nullptr;
    const void* tmpl = data ? LockResource(data) : nullptr;
    return tmpl ? LoadMenuIndirectW(tmpl) : nullptr;
}

#else

#include <cstdlib>
#include <cstring>

namespace {

struct Entry {
    unsigned id;
    const wchar_t* text;
};

#define QSTR(id, text) {id, L"" text},
const Entry kEnglish[] = {
#include "res/strings.en.inc"
};
const Entry kRussian[] = {
#include "res/strings.ru.inc"
};
#undef QSTR

} // namespace

unsigned UserLanguage() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v)
            return std::strncmp(v, "ru", 2) == 0 ? kLangRussian : std::strncmp(v, "C", 1) == 0 ? kLangEnglish : 0;
    }
    return kLangEnglish;
}

std::wstring LoadLocalizedString(unsigned id, unsigned language) {
    const Entry* table = language == kLangRussian ? kRussian : language == kLangEnglish ? kEnglish : nullptr;
    if (!table) return std::wstring();
    for (size_t i = 0; i < sizeof kEnglish / sizeof kEnglish[0]; ++i)
        if (table[i].id == id) return table[i].text;
    return std::wstring();
}

#endif

std::wstring LoadLocalizedString(unsigned id) {
    if (id == 0) return std::wstring();
    std::wstring s = LoadLocalizedString(id, UserLanguage());
    return s.empty() ? LoadLocalizedString(id, kLangEnglish) : s;
}
