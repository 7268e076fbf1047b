// The probe: a small DLL that the test driver loads into the game through a
// WH_CALLWNDPROC hook on the game's thread. Wine keeps menus per process, so
// the Undo item's state can only be read from inside the game; the GDI
// handle table is read here too, as GetGuiResources is a stub in Wine.
#include <windows.h>
#include <winternl.h>

#include "probe_protocol.h"

static UINT probeMessage;

// Wine's GDI handle table (the PEB's GdiSharedHandleTable, at 0x94 in the
// 32-bit PEB and 0xF8 in the 64-bit one): 65536 entries of 24 bytes on both,
// a free entry has type 0 (byte 14). Wine keeps one table per process, so
// every used entry is the game's.
static LPARAM countGdiObjects() {
#ifdef _WIN64
    const size_t handleTableOffset = 0xF8;
#else
    const size_t handleTableOffset = 0x94;
#endif
    PROCESS_BASIC_INFORMATION process;
    ULONG length = 0;
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process,
                                  sizeof process, &length) != 0)
        return -1;
    const unsigned char* peb = (const unsigned char*)process.PebBaseAddress;
    const unsigned char* table = *(const unsigned char* const*)(peb + handleTableOffset);
    if (!table) return -1;
    LPARAM count = 0;
    for (int i = 0; i < 0x10000; ++i) {
        const unsigned char* entry = table + i * 24;
        if (entry[14] != 0) ++count;
    }
    return count;
}

struct DialogSearch {
    int controlId;
    HWND dialog;
};

static BOOL CALLBACK findDialog(HWND window, LPARAM parameter) {
    DialogSearch* search = (DialogSearch*)parameter;
    wchar_t name[16];
    if (GetClassNameW(window, name, 16) && !lstrcmpW(name, L"#32770") && IsWindowVisible(window) &&
        (search->controlId == 0 || GetDlgItem(window, search->controlId))) {
        search->dialog = window;
        return FALSE;
    }
    return TRUE;
}

// A font as GDI realises it on the control, not as it was asked for: the
// character set and glyphs of the font that the font mapper actually chose.
static LPARAM controlFont(int controlId) {
    DialogSearch search = {controlId, 0};
    EnumThreadWindows(GetCurrentThreadId(), findDialog, (LPARAM)&search);
    if (!search.dialog) return -1;
    HWND control = controlId ? GetDlgItem(search.dialog, controlId) : search.dialog;
    HFONT font = (HFONT)SendMessageW(control, WM_GETFONT, 0, 0);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    const int charset = GetTextCharset(dc);
    wchar_t text[256];
    const int length = GetWindowTextW(control, text, 256);
    WORD glyphs[256];
    int missing = 0;
    if (length > 0 &&
        GetGlyphIndicesW(dc, text, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR)
        for (int i = 0; i < length; ++i)
            missing += glyphs[i] == 0xFFFF;
    RECT client, needed;
    GetClientRect(control, &client);
    needed = client;
    DrawTextW(dc, text, length, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    const int fits = needed.right <= client.right && needed.bottom <= client.bottom;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (missing > 127) missing = 127;
    return (LPARAM)((metrics.tmHeight & 0x7FFF) << 16 | fits << 15 | missing << 8 |
                    (charset & 0xFF));
}

static LPARAM answer(HWND window, int query, int argument) {
    switch (query) {
    case ProbeQueryPing:
        return 1;
    case ProbeQueryMenuState:
        return (LPARAM)GetMenuState(GetMenu(window), argument, MF_BYCOMMAND);
    case ProbeQueryGdiObjects:
        return countGdiObjects();
    case ProbeQueryMenuItemRect: {
        RECT r;
        if (!GetMenuItemRect(window, GetMenu(window), argument, &r)) return -1;
        // Screen coordinates fit 16 bits on any screen the tests use.
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        return (LPARAM)((y << 16) | (x & 0xFFFF));
    }
    case ProbeQueryControlFont:
        return controlFont(argument);
    }
    return -1;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    probeHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && probeMessage) {
        const CWPSTRUCT* sent = (const CWPSTRUCT*)lParam;
        if (sent->message == probeMessage) {
            const LPARAM result =
                answer(sent->hwnd, (int)(sent->wParam >> 16), (int)(sent->wParam & 0xFFFF));
            PostThreadMessageW((DWORD)sent->lParam, probeMessage, sent->wParam, result);
        }
    }
    return CallNextHookEx(0, code, wParam, lParam);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) probeMessage = RegisterWindowMessageW(ProbeMessageName);
    return TRUE;
}
