#pragma once

class CTEDialog;

// The TE command: selection, classification, the editor, clean-up.
void TECommand();
// The one editor dialog, set only while TE runs.
extern CTEDialog* g_editorDialog;
