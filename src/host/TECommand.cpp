#include "host/TECommand.h"

#include "TEDialog/TEDialog.h"
#include "qarx/ap.h"
#include "qarx/ed.h"

#ifdef _WIN32
#include "afxext.h"
#endif

CTEDialog* g_editorDialog = nullptr;

void TECommand() {
    resbuf* filter = acutBuildList(-4, L"<or", RTDXF0, L"TEXT", RTDXF0, L"MTEXT", RTDXF0, L"DIMENSION", -4, L"or>", 0);
    if (!g_editorDialog) g_editorDialog = new CTEDialog;
    EditState& state = g_editorDialog->state;
    if (acedSSGet(nullptr, nullptr, nullptr, filter, state.selectionSet) == RTNORM) {
        AcApDocManager* docs = acDocManagerPtr();
        docs->disableDocumentActivation();
        if (ClassifySelection(state)) {
#ifdef _WIN32
            AfxInitRichEdit2();
#endif
            g_editorDialog->DoModal();
        }
        docs->enableDocumentActivation();
        acedGrText(-3, nullptr, 0);
        acedRedraw(nullptr, 0);
        acedSSFree(state.selectionSet);
    }
    delete g_editorDialog;
    g_editorDialog = nullptr;
    acutRelRb(filter);
}
