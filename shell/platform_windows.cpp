// The rest of what the game core asks of the platform: the Undo menu item, the
// level-solved message, the message boxes and the file dialogs.
#include "game/platform.h"
#include "shell/shell.h"
#include "shell/texts.h"

#include <commdlg.h> // after windows.h

namespace {

// Shared by the save and the open dialog; only Flags changes between them.
OPENFILENAMEA fileDialog;
const char fileFilter[] = "Bexa Files\0*.bxr\0"; // the literal's own zero ends the list

enum {
    MessageCapacity = 256, // longer than any text of the game
};

} // namespace

int showMessage(HWND owner, const char* text, const char* caption, UINT type) {
    wchar_t wideText[MessageCapacity];
    wchar_t wideCaption[MessageCapacity];
    widenWindows1251(text, reinterpret_cast<uint16_t*>(wideText), MessageCapacity);
    widenWindows1251(caption, reinterpret_cast<uint16_t*>(wideCaption), MessageCapacity);
    return MessageBoxW(owner, wideText, wideCaption, type);
}

void setUndoEnabled(int enabled) {
    EnableMenuItem(mainMenu, CommandUndo, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void postLevelSolved() {
    PostMessageW(mainWindow, MessageLevelSolved, 0, 0);
}

void showCongratulation() {
    showMessage(mainWindow, congratulationText, congratulationText, MB_OK);
}

void fillFileDialog(HWND owner) {
    fileDialog.lStructSize =
        OPENFILENAME_SIZE_VERSION_400A; // 76: the record without the places bar
    fileDialog.hwndOwner = owner;
    fileDialog.hInstance = instance;
    fileDialog.lpstrFilter = fileFilter;
    fileDialog.lpstrFile = fileDialogName;
    fileDialog.nMaxFile = FileNameCapacity;
    fileDialog.lpstrDefExt = "bxr";
}

int showSaveDialog(uint32_t flags) {
    fileDialog.Flags = flags;
    return GetSaveFileNameA(&fileDialog) ? 1 : 0;
}

int showOpenDialog(uint32_t flags) {
    fileDialog.Flags = flags;
    return GetOpenFileNameA(&fileDialog) ? 1 : 0;
}

void showLoadRefused(SavedGameCheck check) {
    showMessage(mainWindow, loadRefusedText(check), loadCaption, MB_ICONERROR | MB_OK);
}

void showSaveFailed(int earlierFileKept) {
    showMessage(mainWindow, earlierFileKept ? saveFailedText : saveFailedNoEarlierFileText,
                saveCaption, MB_ICONERROR | MB_OK);
}
