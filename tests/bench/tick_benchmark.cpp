// Measures the work of one animation tick on the real surfaces: a walk (the
// keeper alone) and a push (box and keeper), each tick timed with the
// performance counter, with and without the paint that follows it.
#include "game/game.h"
#include "game/platform.h"
#include "shell/shell.h"

#include <stdio.h>

HINSTANCE instance;
HWND mainWindow;
HMENU mainMenu;

int main() {
    instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TickBenchmark";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, L"TickBenchmark", L"ticks", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                  512, nullptr, nullptr, instance, nullptr);
    createSurfaces(window);
    mainWindow = window;

    // A board of floor inside a wall.
    game = GameState();
    for (int cell = 0; cell < BoardCellCount; ++cell) {
        int row = cell / BoardColumns, column = cell % BoardColumns;
        bool wall = row == 0 || row == BoardRows - 1 || column == 0 || column == BoardColumns - 1;
        game.board.cells[cell] = wall ? CellCodeWall : CellCodeFloor;
    }
    game.playerCell = 8 * BoardColumns + 3;
    redrawBoard();

    const int32_t startCell = 8 * BoardColumns + 3;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    const int moves = 2000;
    for (int paint = 0; paint < 2; ++paint) {
        for (int push = 0; push < 2; ++push) {
            double ticks = 0, seconds = 0;
            for (int i = 0; i < moves; ++i) {
                // Every move starts from the same place: the keeper, with a
                // box in front of him for a push, walks one cell right.
                game.playerCell = startCell;
                game.board.cells[startCell + 1] = push ? CellCodeBox : CellCodeFloor;
                game.board.cells[startCell + 2] = CellCodeFloor;
                game.boxesLeft = push;
                requestMove(DirectionRight);
                for (int tick = 0; tick < 4 && game.playerSliding; ++tick) {
                    QueryPerformanceCounter(&before);
                    advanceSlide();
                    if (paint) UpdateWindow(window);
                    QueryPerformanceCounter(&after);
                    seconds +=
                        double(after.QuadPart - before.QuadPart) / double(frequency.QuadPart);
                    ++ticks;
                }
            }
            printf("%s%s: %.0f ticks, %.1f microseconds a tick\n", push ? "push" : "walk",
                   paint ? " and paint" : "", ticks, seconds / ticks * 1e6);
        }
    }
    deleteSurfaces();
    return 0;
}
