// The smallest Win32 window program that paints: the yardstick for how long
// the game takes to show its first frame under Wine. It fills its client area
// in WM_PAINT and ends when closed.
#include <windows.h>

namespace {

LRESULT CALLBACK minimalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = minimalProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassExW(&windowClass);
    HWND window =
        CreateWindowExW(0, L"MinimalWindow", L"Minimal", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                        CW_USEDEFAULT, 645, 550, nullptr, nullptr, module, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
