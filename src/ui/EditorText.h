// The editor pane's text: a rich-edit control in plain-text mode, whose
// lines end with a single CR.
#pragma once

#include "model/EditState.h"
#include "model/WriteBack.h"

#include <windows.h>

#include <string>

enum TextScope { Whole = 0, Selection = 2 }; // the control's GT_/ST_ flag values

std::wstring GetEditorText(HWND pane, TextScope scope);
// Replaces the text without a change notification, keeping the selection.
void SetEditorText(HWND pane, const std::wstring& text, TextScope scope);
// Line i without its line end.
std::wstring ReadEditorLine(HWND pane, int i);
// Puts the run's editor text into the pane; a failed open is reported and
// returned, and the pane keeps what it had.
Acad::ErrorStatus LoadEditorText(HWND pane, const EditState& state);

// The pane's lines for the write-back.
class RichEditLines : public EditorLines {
public:
    explicit RichEditLines(HWND pane) : pane_(pane) {}
    int LineCount() const override;
    std::wstring Line(int i) const override { return ReadEditorLine(pane_, i); }
    std::wstring Whole() const override { return GetEditorText(pane_, ::Whole); }

private:
    HWND pane_;
};
