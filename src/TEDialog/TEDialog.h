// The editor dialog. Its window joins with the editor; until then a run
// holds the edit state and its modal run ends at once, writing nothing.
#pragma once

#include "model/EditState.h"

class CTEDialog {
public:
    CTEDialog() = default;
    CTEDialog(const CTEDialog&) = delete;
    CTEDialog& operator=(const CTEDialog&) = delete;

    // IDOK or IDCANCEL; the command ignores it.
    int DoModal();

    EditState state;
};
