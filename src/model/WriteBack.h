// Writing the editor text into the drawing, live.
#pragma once

#include "model/EditState.h"

#include <string>
#include <vector>

// The editor's lines, as the write-back reads them: a line is a paragraph
// of the text, without its line end; an empty editor has one empty line.
class EditorLines {
public:
    virtual ~EditorLines() = default;
    virtual int LineCount() const = 0;
    virtual std::wstring Line(int i) const = 0;
    // The whole text with CR line ends.
    virtual std::wstring Whole() const = 0;
};

// Editor lines over a text with CR line ends (LF and CR LF are taken as
// line ends too).
class TextLines : public EditorLines {
public:
    explicit TextLines(std::wstring text);
    int LineCount() const override { return static_cast<int>(starts_.size()); }
    std::wstring Line(int i) const override;
    std::wstring Whole() const override { return text_; }

private:
    std::wstring text_;
    std::vector<size_t> starts_;
};

// Sets the text of an open MTEXT or dimension; other entities are left alone.
Acad::ErrorStatus SetEntityText(AcDbEntity* ent, const ACHAR* text);

// Writes the editor text into the drawing under one document lock. Line i
// goes to texts[i]; missing lines are made as copies of the line above, one
// step below it; surplus entities are erased from the bottom. False when an
// open failed: that is reported on the command line, and what was written
// before it stays written.
bool ApplyEditorText(EditState& state, const EditorLines& lines);

// Makes the changes visible: the graphics flush, then the display update.
void RefreshDrawing();
