// The user's options, one registry value each under
// HKEY_CURRENT_USER\Software\Kessal\Quendrel, shared by every module.
#pragma once

#include <cstdint>

struct EditorSettings {
    std::int32_t DoubleClickEdit = 0;
    std::int32_t DblClkEditDim = 0;
    std::int32_t DblClkEditDTEXT = 0;
    std::int32_t DblClkEditMTEXT = 0;
    std::int32_t ExitOnEnter = 0;
    std::int32_t ExitOnCtrlEnter = 0;
    std::int32_t FastYAlign = 0;
    std::int32_t FontSize = 10; // points
    wchar_t FontName[32] = L"MS Sans Serif";
};

// The one record of the module: read at initialise, written option by option.
extern EditorSettings g_settings;

#ifdef _WIN32
#include <windows.h>

// Reads every option; what is missing or unreadable keeps its value.
void LoadSettings();
// Flips the option (0 becomes 1, anything else 0), lets the caller refresh
// what shows it, and stores it. Returns the registry status of the write.
LONG ToggleOption(std::int32_t& field, const wchar_t* valueName, void (*refresh)(void*) = nullptr,
                  void* context = nullptr);
// Stores FontSize and FontName from the record.
void SaveFontSettings();
#endif
