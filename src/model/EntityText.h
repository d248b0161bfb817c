// Entity text and editor text: reading entities into editor lines, and the
// paragraph code of multi-line texts.
#pragma once

#include "model/EditState.h"

#include <string>

// "\P" becomes CR LF: literal, case-sensitive, left to right, not overlapping.
std::wstring ParagraphsToLines(const std::wstring& contents);
// Each CR becomes "\P".
std::wstring LinesToParagraphs(const std::wstring& editorText);

// The text the editor shows for one entity: its field code where the host
// evaluates fields and the entity holds some, else its plain text by kind
// (empty for another kind). A failed open is reported and returned.
Acad::ErrorStatus ReadEntityText(AcDbObjectId id, EditMode kind, std::wstring& text);

// The editor text of a run: a stack's lines joined by CR LF, or the MTEXT or
// dimension text with its paragraphs as lines.
Acad::ErrorStatus BuildEditorText(const EditState& state, std::wstring& text);
