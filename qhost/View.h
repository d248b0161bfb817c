// The host's main window: the drawing view above the command line.
#pragma once

#include <windows.h>

#include <string>

class AcDbDatabase;

namespace qhost {

class MainWindow {
public:
    bool create(bool visible);
    HWND frame() const { return frame_; }
    HWND view() const { return view_; }
    // Fits the current drawing's texts into the view.
    void fitDrawing();
    void printed(const std::wstring& text);
    void redraw();
    // Pixel of a drawing point in the view.
    POINT toPixel(double x, double y) const;

private:
    static LRESULT CALLBACK FrameProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ViewProc(HWND, UINT, WPARAM, LPARAM);
    void layout();
    void paint(HDC dc);
    HWND frame_ = nullptr, view_ = nullptr, commandLine_ = nullptr;
};

} // namespace qhost
