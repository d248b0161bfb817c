// What one run of the editor works on.
#pragma once

#include "qarx/db.h"
#include "qarx/ed.h"

enum EditMode { UNKNOWN = 0, DTEXT = 1, MTEXT = 2, DIM = 3 };

// Names shown in the status bar, by mode.
inline const wchar_t* const kEditModeNames[] = {L"UNKNOWN", L"DTEXT", L"MTEXT", L"DIM"};

struct EditState {
    AcDbObjectId currentObject;
    AcDbObjectIdArray texts; // entry i is editor line i
    // The line frame of a stack: the line below P lies at (P.x + stepX, P.y - stepY).
    double rotation = 0;
    double lineSpacing = 0;
    double height = 0;
    double mtextWidth = 0;
    double cosRotation = 1;
    double sinRotation = 0;
    double stepX = 0;
    double stepY = 0;
    double baseX = 0;
    double baseY = 0;
    ads_name selectionSet = {0, 0};
    EditMode mode = UNKNOWN;
};

// Turns the selection into what the editor edits; false when there is
// nothing to edit (with message 105 when the selection holds no text).
bool ClassifySelection(EditState& state);
double ComputeLineFrame(EditState& state);
void SortTextStack(EditState& state);
