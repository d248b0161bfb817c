#include "host/Settings.h"

#include <cstring>

EditorSettings g_settings;

namespace {

const wchar_t kKey[] = L"Software\\Kessal\\Quendrel";
const wchar_t kDefaultFont[] = L"MS Sans Serif";

HKEY OpenKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, const_cast<LPWSTR>(L""), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// A value of exactly four bytes, whatever its stored type; anything else
// leaves the field as it was.
void ReadNumber(HKEY key, const wchar_t* name, std::int32_t& field) {
    BYTE data[4];
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, nullptr, data, &size) == ERROR_SUCCESS && size == sizeof data)
        std::memcpy(&field, data, sizeof data);
}

// The face name when the stored value is a string that ends inside the
// field; otherwise the default. A face name has at most 31 characters, so a
// value that fills the field without its terminator is no face name.
void ReadFontName(HKEY key) {
    wchar_t data[32] = {};
    DWORD size = sizeof data, type = 0;
    LONG r = RegQueryValueExW(key, L"FontName", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    bool terminated = false;
    for (DWORD i = 0; i < size / sizeof(wchar_t); ++i)
        if (data[i] == L'\0') {
            terminated = true;
            break;
        }
    if (r == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && terminated)
        std::memcpy(g_settings.FontName, data, sizeof data);
    else
        lstrcpynW(g_settings.FontName, kDefaultFont, 32);
}

} // namespace

void LoadSettings() {
    HKEY key = OpenKey();
    if (!key) return;
    ReadNumber(key, L"DoubleClickEdit", g_settings.DoubleClickEdit);
    ReadNumber(key, L"DblClkEditDim", g_settings.DblClkEditDim);
    ReadNumber(key, L"DblClkEditDTEXT", g_settings.DblClkEditDTEXT);
    ReadNumber(key, L"DblClkEditMTEXT", g_settings.DblClkEditMTEXT);
    ReadNumber(key, L"ExitOnEnter", g_settings.ExitOnEnter);
    ReadNumber(key, L"ExitOnCtrlEnter", g_settings.ExitOnCtrlEnter);
    ReadNumber(key, L"FastYAlign", g_settings.FastYAlign);
    ReadFontName(key);
    std::int32_t size = 10; // an unreadable size falls back to 10, not to what the record held
    ReadNumber(key, L"FontSize", size);
    g_settings.FontSize = size;
    RegCloseKey(key);
}

LONG ToggleOption(std::int32_t& field, const wchar_t* valueName, void (*refresh)(void*), void* context) {
    field = field == 0 ? 1 : 0;
    if (refresh) refresh(context);
    HKEY key = OpenKey();
    if (!key) return ERROR_ACCESS_DENIED; // the new value holds for this process only
    DWORD value = static_cast<DWORD>(field);
    LONG r = RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return r;
}

void SaveFontSettings() {
    HKEY key = OpenKey();
    if (!key) return;
    DWORD size = static_cast<DWORD>(g_settings.FontSize);
    RegSetValueExW(key, L"FontSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), sizeof size);
    // The whole field: the name, its terminator and what follows it.
    RegSetValueExW(key, L"FontName", 0, REG_SZ, reinterpret_cast<const BYTE*>(g_settings.FontName),
                   sizeof g_settings.FontName);
    RegCloseKey(key);
}
