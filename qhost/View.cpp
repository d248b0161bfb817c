#include "View.h"

#include "qarx/hostctl.h"

#include <algorithm>
#include <cmath>

namespace qhost {

namespace {

MainWindow* g_window = nullptr;
constexpr int kCommandLineHeight = 96;

template <class F> void ForEachText(AcDbDatabase* db, F f) {
    AcDbBlockTableRecord* ms = nullptr;
    if (!db || acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return;
    for (AcDbObjectId id : ms->entities()) {
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
        f(e);
        e->close();
    }
    ms->close();
}

// Where a text is drawn: its alignment point for justified texts, whose
// first point may be stale in the file.
AcGePoint3d Anchor(const AcDbText* t) { return qarx::IsJustified(*t) ? t->alignmentPoint() : t->position(); }

} // namespace

bool MainWindow::create(bool visible) {
    g_window = this;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW fc = {};
    fc.lpfnWndProc = FrameProc;
    fc.hInstance = inst;
    fc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    fc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    fc.lpszClassName = L"QHostFrame";
    RegisterClassW(&fc);
    WNDCLASSW vc = fc;
    vc.style = CS_DBLCLKS;
    vc.lpfnWndProc = ViewProc;
    vc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    vc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    vc.lpszClassName = L"QHostView";
    RegisterClassW(&vc);
    frame_ = CreateWindowExW(0, L"QHostFrame", L"qhost", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 1000, 720,
                             nullptr, nullptr, inst, nullptr);
    if (!frame_) return false;
    view_ = CreateWindowExW(0, L"QHostView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr, inst, nullptr);
    commandLine_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                                   0, 10, 10, frame_, nullptr, inst, nullptr);
    layout();
    qarx::Host::get().dwgView.setHwnd(view_);
    ShowWindow(frame_, visible ? SW_SHOW : SW_SHOWNOACTIVATE);
    UpdateWindow(frame_);
    return true;
}

void MainWindow::layout() {
    RECT r;
    GetClientRect(frame_, &r);
    MoveWindow(view_, 0, 0, r.right, std::max(0L, r.bottom - kCommandLineHeight), TRUE);
    MoveWindow(commandLine_, 0, std::max(0L, r.bottom - kCommandLineHeight), r.right, kCommandLineHeight, TRUE);
}

void MainWindow::printed(const std::wstring& text) {
    std::wstring crlf;
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    int n = GetWindowTextLengthW(commandLine_);
    SendMessageW(commandLine_, EM_SETSEL, n, n);
    SendMessageW(commandLine_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(crlf.c_str()));
}

void MainWindow::fitDrawing() {
    AcApDocument* doc = qarx::Host::get().current();
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    auto grow = [&](double x, double y) {
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    };
    ForEachText(doc ? doc->database() : nullptr, [&](AcDbEntity* e) {
        if (auto* t = AcDbText::cast(e)) {
            AcGePoint3d p = Anchor(t);
            grow(p.x, p.y), grow(p.x + t->height() * 0.7 * std::wcslen(t->textStringConst()), p.y + t->height());
        } else if (auto* m = AcDbMText::cast(e)) {
            grow(m->location().x, m->location().y);
        } else if (auto* d = AcDbDimension::cast(e)) {
            grow(d->textPosition().x, d->textPosition().y);
        }
    });
    RECT r;
    GetClientRect(view_, &r);
    qarx::ViewTransform& v = qarx::Host::get().view;
    if (minX > maxX) {
        v = qarx::ViewTransform{};
        v.originY = r.bottom;
    } else {
        double w = std::max(maxX - minX, 1e-9), h = std::max(maxY - minY, 1e-9);
        v.unitsPerPixel = std::max(w / std::max(1L, r.right - 40), h / std::max(1L, r.bottom - 40));
        v.originX = minX - 20 * v.unitsPerPixel;
        v.originY = maxY + 20 * v.unitsPerPixel;
    }
    redraw();
}

POINT MainWindow::toPixel(double x, double y) const {
    const qarx::ViewTransform& v = qarx::Host::get().view;
    return {static_cast<LONG>(std::lround((x - v.originX) / v.unitsPerPixel)),
            static_cast<LONG>(std::lround((v.originY - y) / v.unitsPerPixel))};
}

void MainWindow::redraw() { InvalidateRect(view_, nullptr, TRUE); }

void MainWindow::paint(HDC dc) {
    AcApDocument* doc = qarx::Host::get().current();
    SetBkMode(dc, TRANSPARENT);
    const double upp = qarx::Host::get().view.unitsPerPixel;
    ForEachText(doc ? doc->database() : nullptr, [&](AcDbEntity* e) {
        std::wstring text;
        AcGePoint3d at;
        double height = 0, rotation = 0;
        COLORREF color = RGB(255, 255, 255);
        if (auto* t = AcDbText::cast(e)) {
            text = t->textStringConst(), at = Anchor(t), height = t->height(), rotation = t->rotation();
        } else if (auto* m = AcDbMText::cast(e)) {
            text = m->contentsConst(), at = m->location(), height = m->textHeight(), color = RGB(128, 255, 255);
            for (size_t p; (p = text.find(L"\\P")) != std::wstring::npos;)
                text.replace(p, 2, L" / ");
        } else if (auto* d = AcDbDimension::cast(e)) {
            text = d->dimensionTextConst(), at = d->textPosition(), height = d->dimtxt(), color = RGB(255, 255, 128);
            if (text.empty()) text = L"<>";
        } else {
            return;
        }
        int px = std::max(1, static_cast<int>(std::lround(height / upp)));
        HFONT font = CreateFontW(-px, 0, static_cast<int>(std::lround(rotation * 1800 / 3.14159265358979)), 0,
                                 FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SetTextColor(dc, color);
        SetTextAlign(dc, TA_BASELINE | TA_LEFT);
        POINT p = toPixel(at.x, at.y);
        TextOutW(dc, p.x, p.y, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, old);
        DeleteObject(font);
    });
}

LRESULT CALLBACK MainWindow::FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE && g_window && g_window->view_) g_window->layout();
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::ViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT && g_window) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        g_window->paint(dc);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

} // namespace qhost
