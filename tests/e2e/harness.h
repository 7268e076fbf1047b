// The world an end-to-end test runs in: a virtual X server on a free display,
// a Wine prefix of the tests' own, the real bexaran.exe and the Win32 test
// driver that talks to it, one line per request.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    int input = -1;  // our end of its standard input, or -1
    int output = -1; // our end of its standard output, or -1
    int exitCode = -1;
    bool finished = false;
};

struct WineSession {
    std::string artifacts; // this test's folder for logs, screenshots, files
    std::string display;   // ":N"
    ChildProcess xvfb;
    ChildProcess game;
    ChildProcess driver;
    std::string driverBuffer;            // bytes read past the last full line
    std::vector<std::string> transcript; // requests and answers, for the log
};

// Paths known at build time.
std::string gameExePath();   // the cross build's bexaran.exe
std::string driverExePath(); // the cross build's bexaran-driver.exe
std::string shellSourceFolder();
std::string workFolder(); // the build folder of these tests

// Unix path to the Windows name Wine gives it on drive Z:.
std::string windowsPath(const std::string& unixPath);

// Builds the Wine prefix once (under the work folder, guarded by a lock so
// parallel test processes wait for the first); false with a reason.
bool ensurePrefix(std::string* error);

// Starts Xvfb with one screen of the given size on a free display.
bool startXvfb(WineSession* session, int width, int height, std::string* error);
// Starts the game (wine bexaran.exe), its output going to game.log.
bool startGame(WineSession* session, std::string* error);
// Starts the driver under the same wineserver.
bool startDriver(WineSession* session, std::string* error);

// One request to the driver; the answer line, or "err timeout".
std::string ask(WineSession* session, const std::string& request, int timeoutMs = 10000);

// Waits for the game to end; true with its exit code in game.exitCode.
bool waitForGameExit(WineSession* session, int timeoutMs);
bool gameRunning(WineSession* session);

// Ends everything this session started: driver, game and every other Wine
// process of the prefix, then the X server. Writes the transcript.
void stopSession(WineSession* session);

int64_t monotonicMilliseconds();
void sleepMilliseconds(int ms);
