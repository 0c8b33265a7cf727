// WinLayout: what every window of the Windows program is built with. Positions and sizes are
// written in twips (1/1440 inch) and turned into pixels at the window's own DPI, so a window keeps
// its proportions on every monitor; the controls get the Japanese UI font at that DPI, and a move
// to a monitor of another DPI places them afresh. Also the text of a control as the core's UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

struct TwipsRect {
    int left, top, width, height;
};

class WinLayout {
public:
    // window must exist (its DPI is read from it); the controls are then added with Add.
    explicit WinLayout(HWND window);
    ~WinLayout();
    WinLayout(const WinLayout&) = delete;
    WinLayout& operator=(const WinLayout&) = delete;

    UINT Dpi() const { return m_dpi; }
    int ToPixels(double twips) const;
    int FromPixels(int pixels) const;
    HFONT Font() const { return m_font; }

    // Creates a child control with its control id at rect, in the window's font. The creation
    // order is the Tab order; give WS_TABSTOP to the controls Tab stops at.
    HWND Add(int id, const wchar_t* className, std::wstring_view text, DWORD style, TwipsRect rect, DWORD exStyle = 0);
    // Gives a control whose text is wider than the control a smaller size of the font, down to
    // 6 points, so that the whole text shows; again after every change of DPI.
    void FitText(HWND control);
    // Makes the window's inside width x height twips; the frame keeps its place.
    void SetClientSize(int widthTwips, int heightTwips);
    // WM_DPICHANGED: the font, the controls and the frame at the new DPI, the frame where the
    // system suggests.
    void Rescale(UINT dpi, const RECT& suggested);

private:
    struct Placed {
        HWND control;
        TwipsRect rect;
        bool fit = false;
        HFONT ownFont = nullptr;  // a smaller font of the control's own, after FitText
    };
    void Place(const Placed& placed) const;
    void Fit(Placed& placed);

    HWND m_window;
    UINT m_dpi;
    HFONT m_font;
    std::vector<Placed> m_placed;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
};

// The DPI the window is shown at (96 where the system cannot say).
UINT DpiOf(HWND window);
// The Japanese UI font at dpi: the first of the system's Japanese UI families found; the caller
// deletes it.
HFONT CreateUiFont(UINT dpi, double points = 9.0);

// A window's or control's text, UTF-16 or as the core's UTF-8.
std::wstring WideTextOf(HWND window);
std::string TextOf(HWND window);
void SetText(HWND window, std::string_view utf8);

}  // namespace quillmere
