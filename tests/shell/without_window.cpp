// The entry point of bexaran_without_window.exe: the game's own message loop,
// run with a CBT hook that refuses the creation of the game's main window, so
// the smoke test can see the game report a window it cannot make and end
// instead of waiting. The C runtime calls this main rather than the one in
// its library that would call the game's WinMain (whose screen check is
// left out here: the test screen is large enough anyway).
#include "shell/shell.h"

#include <wchar.h>

namespace {

LRESULT CALLBACK refuseGameWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[32];
        HWND window = reinterpret_cast<HWND>(wParam);
        if (GetClassNameW(window, name, 32) && wcscmp(name, L"Win32Bexa") == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int main() {
    instance = GetModuleHandleW(nullptr);
    SetWindowsHookExW(WH_CBT, refuseGameWindow, nullptr, GetCurrentThreadId());
    ExitProcess(runMessageLoop(instance, SW_SHOWNORMAL));
}
