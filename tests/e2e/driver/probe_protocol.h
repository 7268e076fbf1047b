// What the test driver asks the probe DLL inside the game, and how. The
// driver sends the registered message ProbeMessageName to the game's main
// window with wParam = (ProbeQuery << 16) | argument and lParam = the
// driver's thread id; the probe's hook sees it on the game's thread and
// posts the same message back to that thread with wParam unchanged and
// lParam = the answer.
#pragma once

#define ProbeMessageName L"BexaranE2eProbeQuery"

enum ProbeQuery {
    ProbeQueryPing = 1,         // answer 1
    ProbeQueryMenuState = 2,    // argument a command id; GetMenuState by command
    ProbeQueryGdiObjects = 3,   // live GDI objects of the game process
    ProbeQueryMenuItemRect = 4, // argument a menu-bar position; packed rect
    // Argument a control id of the game's open dialog box, 0 for the box
    // itself; the font it draws with (WM_GETFONT), packed: bits 0-7 the
    // realised character set, 8-14 the characters of its text that the font
    // has no glyph for, bit 15 set when the text, wrapped at word breaks,
    // fits the control's client area, 16-30 the character height in pixels.
    ProbeQueryControlFont = 5,
};
