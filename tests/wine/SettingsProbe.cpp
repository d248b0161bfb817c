// Runs the settings store as a module would and prints the record, one JSON
// object: settings_probe [toggle NAME | font NAME SIZE]...
#include "host/Settings.h"

#include "dxf/DxfDocument.h"

#include <cstdio>
#include <string>

namespace {

std::int32_t* Field(const std::wstring& name) {
    struct {
        const wchar_t* name;
        std::int32_t* field;
    } fields[] = {{L"DoubleClickEdit", &g_settings.DoubleClickEdit},
                  {L"DblClkEditDim", &g_settings.DblClkEditDim},
                  {L"DblClkEditDTEXT", &g_settings.DblClkEditDTEXT},
                  {L"DblClkEditMTEXT", &g_settings.DblClkEditMTEXT},
                  {L"ExitOnEnter", &g_settings.ExitOnEnter},
                  {L"ExitOnCtrlEnter", &g_settings.ExitOnCtrlEnter},
                  {L"FastYAlign", &g_settings.FastYAlign}};
    for (auto& f : fields)
        if (name == f.name) return f.field;
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    LoadSettings();
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"toggle" && i + 1 < argc) {
            std::int32_t* f = Field(argv[++i]);
            if (!f) return 2;
            ToggleOption(*f, argv[i]);
        } else if (a == L"font" && i + 2 < argc) {
            lstrcpynW(g_settings.FontName, argv[i + 1], 32);
            g_settings.FontSize = std::stoi(argv[i + 2]);
            SaveFontSettings();
            i += 2;
        } else {
            return 2;
        }
    }
    std::printf("{\"DoubleClickEdit\":%d,\"DblClkEditDim\":%d,\"DblClkEditDTEXT\":%d,\"DblClkEditMTEXT\":%d,"
                "\"ExitOnEnter\":%d,\"ExitOnCtrlEnter\":%d,\"FastYAlign\":%d,\"FontSize\":%d,\"FontName\":\"%s\"}\n",
                g_settings.DoubleClickEdit, g_settings.DblClkEditDim, g_settings.DblClkEditDTEXT,
                g_settings.DblClkEditMTEXT, g_settings.ExitOnEnter, g_settings.ExitOnCtrlEnter, g_settings.FastYAlign,
                g_settings.FontSize, qarx::ToUtf8(g_settings.FontName).c_str());
    return 0;
}
