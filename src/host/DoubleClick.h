// Starts the editor on a double-click on a text or a dimension in the
// drawing view, for the kinds the options enable.
#pragma once

#include <windows.h>

// The window-message filter: non-zero when the double-click was taken and
// "TE\n" queued for the current document.
BOOL DoubleClickFilter(MSG* msg);
