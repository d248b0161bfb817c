// The double-click filter against a host with a view and a drawing: each
// case one JSON object with what the filter did.
#include "host/DoubleClick.h"
#include "host/Settings.h"

#include "db/DatabaseImpl.h"
#include "qarx/hostctl.h"

#include <cstdio>
#include <string>

namespace {

AcDbObjectId Add(AcDbDatabase& db, AcDbEntity* e) {
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    AcDbObjectId id;
    ms->appendAcDbEntity(id, e);
    e->close();
    ms->close();
    return id;
}

AcDbObjectId Text(AcDbDatabase& db, double x, double y) {
    auto* t = new AcDbText;
    t->setTextString(L"hello");
    t->setPosition({x, y, 0});
    return Add(db, t);
}

struct Options {
    int dblclk, dtext, mtext, dim;
};

void Case(const char* name, HWND hwnd, UINT message, double x, double y, Options o) {
    g_settings.DoubleClickEdit = o.dblclk;
    g_settings.DblClkEditDTEXT = o.dtext;
    g_settings.DblClkEditMTEXT = o.mtext;
    g_settings.DblClkEditDim = o.dim;
    qarx::Host& h = qarx::Host::get();
    // The view maps pixel (px, py) to (px, 1000 - py).
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.lParam = MAKELPARAM(static_cast<int>(x), static_cast<int>(1000 - y));
    BOOL consumed = DoubleClickFilter(&msg);
    std::string queued;
    for (auto& q : h.queued())
        queued += (queued.empty() ? "\"" : ",\"") + std::string(q.begin(), q.end() - 1) + "\\n\"";
    std::printf("{\"case\":\"%s\",\"consumed\":%s,\"queued\":[%s],\"echo\":%zu,\"locks\":%d,\"sets\":%d,\"open\":%d}\n",
                name, consumed ? "true" : "false", queued.c_str(), h.takeCommandLine().size(), h.locks(),
                h.selectionSets(), qarx::OpenObjectCount());
    h.runQueuedStrings();
    h.takeCommandLine();
}

} // namespace

int main() {
    qarx::Host& h = qarx::Host::get();
    HWND view =
        CreateWindowExW(0, L"STATIC", L"view", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND other =
        CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    h.dwgView.setHwnd(view);
    h.view = {0, 1000, 1};
    auto owned = std::make_unique<AcDbDatabase>();
    AcDbDatabase& db = *owned;
    h.addDocument(std::move(owned), L"probe.dxf");
    Text(db, 10, 10);
    auto* m = new AcDbMText;
    m->setContents(L"multi");
    m->setLocation({100, 110, 0});
    Add(db, m);
    auto* d = new AcDbDimension;
    d->setDimensionText(L"<>");
    d->setTextPosition({200, 200, 0});
    Add(db, d);
    Text(db, 101, 105); // under the MTEXT, after it in drawing order
    AcDbObjectId distant = Text(db, 500, 500);

    Case("all options off", view, WM_LBUTTONDBLCLK, 12, 11, {0, 0, 0, 0});
    Case("kinds off", view, WM_LBUTTONDBLCLK, 12, 11, {1, 0, 0, 0});
    Case("only MTEXT on, a TEXT clicked", view, WM_LBUTTONDBLCLK, 12, 11, {1, 0, 1, 0});
    Case("TEXT", view, WM_LBUTTONDBLCLK, 12, 11, {1, 1, 0, 0});
    Case("TEXT, DoubleClickEdit off", view, WM_LBUTTONDBLCLK, 12, 11, {0, 1, 1, 1});
    Case("another window", other, WM_LBUTTONDBLCLK, 12, 11, {1, 1, 1, 1});
    Case("a single click", view, WM_LBUTTONDOWN, 12, 11, {1, 1, 1, 1});
    Case("empty space", view, WM_LBUTTONDBLCLK, 700, 700, {1, 1, 1, 1});
    Case("MTEXT", view, WM_LBUTTONDBLCLK, 102, 108, {1, 0, 1, 0});
    Case("DIMENSION", view, WM_LBUTTONDBLCLK, 200, 201, {1, 0, 0, 1});
    Case("first of two decides", view, WM_LBUTTONDBLCLK, 102, 106, {1, 1, 0, 0});
    h.setPickFirst({distant});
    Case("pre-selected TEXT and a TEXT clicked", view, WM_LBUTTONDBLCLK, 12, 11, {1, 1, 0, 0});
    h.setPickFirst({distant});
    Case("pre-selected TEXT, empty space clicked", view, WM_LBUTTONDBLCLK, 700, 700, {1, 1, 0, 0});
    h.setPickFirst({});
    h.setRefuseLocks(true);
    Case("the document will not lock", view, WM_LBUTTONDBLCLK, 12, 11, {1, 1, 1, 1});
    h.setRefuseLocks(false);
    h.closeAllDocuments();
    return 0;
}
