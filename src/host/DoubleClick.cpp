#include "host/DoubleClick.h"

#include "host/Settings.h"

#include "qarx/ap.h"
#include "qarx/ed.h"

namespace {

AcApDocument* CurrentDocument() {
#ifdef QUENDREL_BRX
    return curDoc();
#else
    return acDocManagerPtr() ? acDocManagerPtr()->curDocument() : nullptr;
#endif
}

bool Qualifies(const AcDbEntity* ent) {
    if (g_settings.DblClkEditDTEXT && AcDbText::cast(ent)) return true;
    if (g_settings.DblClkEditMTEXT && AcDbMText::cast(ent)) return true;
    return g_settings.DblClkEditDim && AcDbDimension::cast(ent);
}

// Opens the entity for read, and queues TE when it qualifies.
bool LaunchOn(const ads_name name, AcApDocument* doc) {
    AcDbObjectId id;
    AcDbEntity* ent = nullptr;
    if (acdbGetObjectId(id, name) != Acad::eOk || acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk)
        return false;
    bool launch = Qualifies(ent);
    if (launch) acDocManagerPtr()->sendStringToExecute(doc, L"TE\n", false, false, false);
    ent->close();
    return launch;
}

// Runs the pass under a read lock of the current document.
template <class Pass> bool Locked(Pass pass) {
    AcApDocument* doc = CurrentDocument();
    AcApDocManager* docs = acDocManagerPtr();
    if (!doc || !docs || docs->lockDocument(doc, AcAp::kRead, nullptr, nullptr, true) != Acad::eOk) return false;
    bool launched = pass(doc);
    docs->unlockDocument(doc);
    return launched;
}

} // namespace

BOOL DoubleClickFilter(MSG* msg) {
    if (msg->message != WM_LBUTTONDBLCLK || !g_settings.DoubleClickEdit) return 0;
    AcDwgView* view = acedGetAcadDwgView();
    if (!view || msg->hwnd != view->GetSafeHwnd()) return 0;
    int pixel[2] = {static_cast<int>(LOWORD(msg->lParam)), static_cast<int>(HIWORD(msg->lParam))};
    ads_point display, point;
    acedCoordFromPixelToWorld(-1, pixel, display);
    resbuf from = {}, to = {};
    from.restype = to.restype = RTSHORT;
    from.resval.rint = 2; // display
    to.resval.rint = 1;   // current user coordinates
    acedTrans(display, &from, &to, 0, point);

    bool launched = false;
#ifdef QUENDREL_BRX
    // A pre-selected text decides first. When it launched, the entity under
    // the cursor is not asked again: one double-click, one editor.
    resbuf* pickFirst = nullptr;
    if (acedSSGetFirst(nullptr, &pickFirst) == RTNORM && pickFirst) {
        ads_name set = {pickFirst->resval.rlname[0], pickFirst->resval.rlname[1]};
        launched = Locked([&](AcApDocument* doc) {
            Adesk::Int32 n = 0;
            acedSSLength(set, &n);
            for (Adesk::Int32 i = 0; i < n; ++i) {
                ads_name ent;
                if (acedSSName(set, i, ent) == RTNORM && LaunchOn(ent, doc)) return true;
            }
            return false;
        });
        acedSSFree(set);
        acutRelRb(pickFirst);
    }
    if (launched) return 1;
#endif
    ads_name set;
    if (acedSSGet(L":E", point, nullptr, nullptr, set) != RTNORM) return launched;
    launched = Locked([&](AcApDocument* doc) {
        ads_name ent;
        return acedSSName(set, 0, ent) == RTNORM && LaunchOn(ent, doc);
    });
    acedSSFree(set);
    return launched ? 1 : 0;
}
