// Drives the editor-text operations on a real rich-edit control and prints
// what they give, one JSON value a line, for the Wine tests.
#include "ui/EditorText.h"

#include "dxf/DxfDocument.h"

#include <richedit.h>

#include <cstdio>

namespace {

int g_changes = 0;

LRESULT CALLBACK Parent(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) ++g_changes;
    return DefWindowProcW(h, msg, wp, lp);
}

void Print(const std::wstring& s) {
    std::string out = "\"";
    for (char c : qarx::ToUtf8(s)) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    std::printf("%s\"\n", out.c_str());
}

} // namespace

int main() {
    LoadLibraryW(L"riched20.dll");
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Parent;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProbeParent";
    RegisterClassW(&wc);
    HWND parent = CreateWindowExW(0, L"ProbeParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    HWND pane = CreateWindowExW(0, L"RichEdit20W", L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                                0, 0, 380, 280, parent, reinterpret_cast<HMENU>(203), wc.hInstance, nullptr);
    SendMessageW(pane, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    SendMessageW(pane, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
    RichEditLines lines(pane);

    Print(GetEditorText(pane, Whole));
    std::printf("%d\n", lines.LineCount());
    SetEditorText(pane, L"alpha\r\nbeta\r\n\r\ngamma", Whole);
    std::printf("%d\n", g_changes);
    Print(GetEditorText(pane, Whole));
    std::printf("%d\n", lines.LineCount());
    for (int i = 0; i < lines.LineCount(); ++i)
        Print(lines.Line(i));
    SendMessageW(pane, EM_SETSEL, 6, 10);
    Print(GetEditorText(pane, Selection));
    SetEditorText(pane, L"BETA", Selection);
    CHARRANGE sel = {};
    SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    std::printf("[%ld,%ld]\n", sel.cpMin, sel.cpMax);
    Print(lines.Whole());
    std::printf("%d\n", g_changes);
    // A typed character does notify: the write-back runs on it.
    SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"!"));
    std::printf("%d\n", g_changes);
    SetEditorText(pane, L"X\r\n", Whole);
    std::printf("%d\n", lines.LineCount());
    Print(lines.Line(1));
    DestroyWindow(parent);
    return 0;
}
