#include "ui/EditorText.h"

#include "model/EntityText.h"

#include <richedit.h>

std::wstring GetEditorText(HWND pane, TextScope scope) {
    GETTEXTLENGTHEX len = {static_cast<DWORD>(scope), 1200};
    LRESULT n = SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>((n + 1) * sizeof(wchar_t));
    get.flags = static_cast<DWORD>(scope);
    get.codepage = 1200;
    LRESULT copied =
        SendMessageW(pane, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    // The length asked for may count CR LF pairs the copy gives as one CR.
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return text;
}

void SetEditorText(HWND pane, const std::wstring& text, TextScope scope) {
    CHARRANGE sel = {};
    SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    LRESULT mask = SendMessageW(pane, EM_GETEVENTMASK, 0, 0);
    SendMessageW(pane, EM_SETEVENTMASK, 0, mask & ~static_cast<LRESULT>(ENM_CHANGE));
    SETTEXTEX set = {static_cast<DWORD>(scope), 1200};
    SendMessageW(pane, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(pane, EM_SETSEL, sel.cpMin, sel.cpMax);
    SendMessageW(pane, EM_SETEVENTMASK, 0, mask);
}

std::wstring ReadEditorLine(HWND pane, int i) {
    LRESULT start = SendMessageW(pane, EM_LINEINDEX, static_cast<WPARAM>(i), 0);
    if (start < 0) return std::wstring();
    LRESULT n = SendMessageW(pane, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    std::wstring line(static_cast<size_t>(n) + 4, L'\0');
    // EM_GETLINE takes the buffer's size in its first word.
    *reinterpret_cast<WORD*>(&line[0]) = static_cast<WORD>(line.size());
    SendMessageW(pane, EM_GETLINE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]));
    line.resize(static_cast<size_t>(n));
    return line;
}

int RichEditLines::LineCount() const {
    LRESULT n = SendMessageW(pane_, EM_GETLINECOUNT, 0, 0);
    return n < 1 ? 1 : static_cast<int>(n);
}

Acad::ErrorStatus LoadEditorText(HWND pane, const EditState& state) {
    std::wstring text;
    if (Acad::ErrorStatus es = BuildEditorText(state, text)) return es;
    SetEditorText(pane, text, Whole);
    return Acad::eOk;
}
