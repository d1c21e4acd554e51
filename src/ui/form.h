#pragma once
#include <windows.h>
#include <vector>

// A window of the program: owns its HWND and routes each message to a named handler.
// Nothing thrown by a handler leaves the window procedure; it ends in the standard error box.
class TForm {
public:
    TForm() = default;
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }
    // The application's main window ends the message loop when it is destroyed.
    void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

protected:
    // Creates the window hidden, sized so its client area is clientWidth x clientHeight
    // (96-DPI pixels, scaled) and centred on the screen. WM_CREATE runs inside this call.
    // The window keeps that size: a sizing frame, if the style has one, does not resize it.
    void CreateFormWindow(const char* className, const char* caption, DWORD style, int clientWidth,
                          int clientHeight, HMENU menu, HWND owner);
    // The derived window's routing; what it does not handle goes to DefaultHandling.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // Derived forms call this from their destructor, while their controls' owners still live.
    void DestroyFormWindow();
    // The control shows the hand cursor while the mouse is over it.
    void SetHandCursor(HWND control) { handCursorControls_.push_back(control); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool SetCursorFor(HWND control, LPARAM lParam) const;
    void FitClientArea(int clientWidth, int clientHeight);

    HWND handle_ = nullptr;
    bool quitOnDestroy_ = false;
    SIZE fittedSize_{};  // the outer size that fits the client area; zero until then
    std::vector<HWND> handCursorControls_;
};
