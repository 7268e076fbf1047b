// Processes and plumbing of the end-to-end tests; see harness.h.
#include "harness.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

// BEXARAN_E2E_GAME_EXE in the environment runs the suite against another
// build of the game, for example one broken on purpose to see the suite fail.
std::string gameExePath() {
    const char* other = getenv("BEXARAN_E2E_GAME_EXE");
    return other && *other ? other : BEXARAN_E2E_GAME_EXE;
}
std::string driverExePath() {
    return BEXARAN_E2E_DRIVER_EXE;
}
std::string shellSourceFolder() {
    return BEXARAN_E2E_SHELL_FOLDER;
}
std::string workFolder() {
    return BEXARAN_E2E_WORK_FOLDER;
}

int64_t monotonicMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

void sleepMilliseconds(int ms) {
    timespec pause = {ms / 1000, (long)(ms % 1000) * 1000000};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

std::string windowsPath(const std::string& unixPath) {
    std::string out = "Z:" + unixPath;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

// One prefix per Windows arch: a prefix made for one Wine cannot serve the other.
static std::string prefixFolder() {
    return workFolder() + "/wineprefix-" BEXARAN_E2E_WINEARCH;
}

// The loader of the Wine that matches the build under test, called directly:
// the `wine` command would take the 32-bit loader wherever one is installed.
static const char* const wineLoader = BEXARAN_E2E_WINE_LOADER;

// The environment of every Wine process: our prefix, our display, no debug
// chatter, no Mono or Gecko installers, and the game's own language.
static std::vector<std::string> wineEnvironment(const std::string& display) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "WINEPREFIX" || name == "DISPLAY" || name == "WINEDEBUG" ||
            name == "WINEDLLOVERRIDES" || name == "WINEARCH" || name == "WINELOADER" || name == "LANG" ||
            name == "LC_ALL" || name == "WAYLAND_DISPLAY")
            continue;
        env.push_back(entry);
    }
    env.push_back("WINEPREFIX=" + prefixFolder());
    env.push_back("WINEARCH=" BEXARAN_E2E_WINEARCH);
    env.push_back(std::string("WINELOADER=") + wineLoader);
    env.push_back("WINEDEBUG=-all");
    env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=");
    env.push_back("LANG=ru_RU.UTF-8");
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    return env;
}

// Starts a program. stdinPipe / stdoutPipe give us the other ends; otherwise
// standard input is /dev/null and the output goes to logPath (or /dev/null).
static bool spawn(ChildProcess* child, const std::vector<std::string>& argv,
                  const std::vector<std::string>& env, const std::string& folder, bool stdinPipe,
                  bool stdoutPipe, const std::string& logPath, std::string* error) {
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if ((stdinPipe && pipe2(in, O_CLOEXEC) != 0) || (stdoutPipe && pipe2(out, O_CLOEXEC) != 0)) {
        *error = "pipe failed";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinPipe)
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string log = logPath.empty() ? "/dev/null" : logPath;
    if (stdoutPipe)
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> args, envp;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so a stuck child and its helpers can be ended together.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int result =
        posix_spawnp(&child->pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (stdinPipe) close(in[0]);
    if (stdoutPipe) close(out[1]);
    if (result != 0) {
        *error = "cannot start " + argv[0] + ": " + strerror(result);
        if (stdinPipe) close(in[1]);
        if (stdoutPipe) close(out[0]);
        child->pid = -1;
        return false;
    }
    child->input = stdinPipe ? in[1] : -1;
    child->output = stdoutPipe ? out[0] : -1;
    child->finished = false;
    child->exitCode = -1;
    return true;
}

static bool reap(ChildProcess* child, bool wait) {
    if (child->pid <= 0 || child->finished) return child->finished;
    int status = 0;
    const pid_t r = waitpid(child->pid, &status, wait ? 0 : WNOHANG);
    if (r == child->pid) {
        child->finished = true;
        child->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return child->finished;
}

static bool waitFor(ChildProcess* child, int timeoutMs) {
    const int64_t until = monotonicMilliseconds() + timeoutMs;
    while (!reap(child, false)) {
        if (monotonicMilliseconds() > until) return false;
        sleepMilliseconds(20);
    }
    return true;
}

static void endProcess(ChildProcess* child) {
    if (child->input >= 0) close(child->input);
    if (child->output >= 0) close(child->output);
    child->input = child->output = -1;
    if (child->pid <= 0) return;
    if (!reap(child, false)) {
        kill(-child->pid, SIGTERM);
        if (!waitFor(child, 2000)) {
            kill(-child->pid, SIGKILL);
            reap(child, true);
        }
    }
    child->pid = -1;
}

// Runs a program to its end; true when it exits with code 0.
static bool run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const std::string& log, int timeoutMs, std::string* error) {
    ChildProcess child;
    if (!spawn(&child, argv, env, "", false, false, log, error)) return false;
    if (!waitFor(&child, timeoutMs)) {
        endProcess(&child);
        *error = argv[0] + " " + (argv.size() > 1 ? argv[1] : "") + " did not finish";
        return false;
    }
    if (child.exitCode != 0) {
        *error = argv[0] + " " + (argv.size() > 1 ? argv[1] : "") + " failed with code " +
                 std::to_string(child.exitCode);
        return false;
    }
    return true;
}

static bool fileExists(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0;
}

bool ensurePrefix(std::string* error) {
    const std::string ready = prefixFolder() + "/e2e-ready";
    const int lock =
        open((workFolder() + "/wineprefix.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    if (lock < 0) {
        *error = "cannot open the prefix lock";
        return false;
    }
    flock(lock, LOCK_EX);
    bool ok = fileExists(ready);
    if (!ok) {
        const std::string log = workFolder() + "/wineprefix.log";
        run({"rm", "-rf", prefixFolder()}, wineEnvironment(""), log, 60000, error);
        // wineboot shows a progress window, so it gets a display of its own.
        WineSession boot;
        boot.artifacts = workFolder();
        ok = startXvfb(&boot, 800, 600, error);
        const std::vector<std::string> env = wineEnvironment(boot.display);
        ok = ok && run({wineLoader, "wineboot", "-i"}, env, log, 180000, error) &&
             // No window manager: Wine must draw the frames and set the focus itself.
             run({wineLoader, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d",
                  "N", "/f"},
                 env, log, 60000, error) &&
             // A crash must end the process, not wait for someone to close a dialog.
             run({wineLoader, "reg", "add", "HKCU\\Software\\Wine\\WineDbg", "/v", "ShowCrashDialog",
                  "/t", "REG_DWORD", "/d", "0", "/f"},
                 env, log, 60000, error) &&
             run({"sh", "-c",
                  "[ -d /usr/share/wine/fonts ] && cp /usr/share/wine/fonts/* '" + prefixFolder() +
                      "/drive_c/windows/Fonts/' 2>/dev/null; true"},
                 env, log, 60000, error) &&
             run({"wineserver", "-w"}, env, log, 60000, error);
        run({"wineserver", "-k"}, env, log, 20000, error);
        endProcess(&boot.xvfb);
        if (ok) ok = run({"touch", ready}, env, log, 10000, error);
    }
    flock(lock, LOCK_UN);
    close(lock);
    return ok;
}

bool startXvfb(WineSession* session, int width, int height, std::string* error) {
    int numberPipe[2];
    if (pipe(numberPipe) != 0) {
        *error = "pipe failed";
        return false;
    }
    // -displayfd: the server picks a free display and writes its number to us.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string log = session->artifacts + "/xvfb.log";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, numberPipe[1], 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const char* argv[] = {"Xvfb",         "-displayfd", "3",   "-screen",  "0",
                          screen.c_str(), "-nolisten",  "tcp", "-noreset", nullptr};
    const int result = posix_spawnp(&session->xvfb.pid, "Xvfb", &actions, &attributes,
                                    const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(numberPipe[1]);
    if (result != 0) {
        close(numberPipe[0]);
        session->xvfb.pid = -1;
        *error = std::string("cannot start Xvfb: ") + strerror(result);
        return false;
    }
    std::string number;
    pollfd p = {numberPipe[0], POLLIN, 0};
    const int64_t until = monotonicMilliseconds() + 15000;
    while (number.find('\n') == std::string::npos && monotonicMilliseconds() < until) {
        if (poll(&p, 1, 200) > 0) {
            char buffer[32];
            const ssize_t n = read(numberPipe[0], buffer, sizeof buffer);
            if (n <= 0) break;
            number.append(buffer, n);
        }
    }
    close(numberPipe[0]);
    if (number.find('\n') == std::string::npos) {
        *error = "Xvfb did not report its display";
        endProcess(&session->xvfb);
        return false;
    }
    session->display = ":" + number.substr(0, number.find('\n'));
    return true;
}

bool startGame(WineSession* session, std::string* error) {
    return spawn(&session->game, {wineLoader, gameExePath()}, wineEnvironment(session->display),
                 session->artifacts, false, false, session->artifacts + "/game.log", error);
}

bool startDriver(WineSession* session, std::string* error) {
    const std::string exe = driverExePath();
    return spawn(&session->driver, {wineLoader, exe}, wineEnvironment(session->display),
                 exe.substr(0, exe.rfind('/')), true, true, session->artifacts + "/driver.log",
                 error);
}

std::string ask(WineSession* session, const std::string& request, int timeoutMs) {
    ChildProcess& d = session->driver;
    session->transcript.push_back("> " + request);
    const std::string line = request + "\n";
    if (d.input < 0 || write(d.input, line.data(), line.size()) != (ssize_t)line.size()) {
        session->transcript.push_back("< err driver gone");
        return "err driver gone";
    }
    const int64_t until = monotonicMilliseconds() + timeoutMs;
    for (;;) {
        const size_t end = session->driverBuffer.find('\n');
        if (end != std::string::npos) {
            std::string answer = session->driverBuffer.substr(0, end);
            session->driverBuffer.erase(0, end + 1);
            if (!answer.empty() && answer.back() == '\r') answer.pop_back();
            session->transcript.push_back("< " + answer);
            return answer;
        }
        const int64_t left = until - monotonicMilliseconds();
        pollfd p = {d.output, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, (int)left) <= 0) break;
        char buffer[4096];
        const ssize_t n = read(d.output, buffer, sizeof buffer);
        if (n <= 0) break;
        session->driverBuffer.append(buffer, n);
    }
    session->transcript.push_back("< err timeout");
    return "err timeout";
}

bool waitForGameExit(WineSession* session, int timeoutMs) {
    return waitFor(&session->game, timeoutMs);
}

bool gameRunning(WineSession* session) {
    return session->game.pid > 0 && !reap(&session->game, false);
}

void stopSession(WineSession* session) {
    if (session->driver.input >= 0) ask(session, "quit", 2000);
    endProcess(&session->driver);
    std::string ignored;
    if (!session->display.empty())
        run({"wineserver", "-k"}, wineEnvironment(session->display),
            session->artifacts + "/wine.log", 20000, &ignored);
    endProcess(&session->game);
    run({"wineserver", "-w"}, wineEnvironment(session->display), session->artifacts + "/wine.log",
        20000, &ignored);
    endProcess(&session->xvfb);
    if (FILE* out = fopen((session->artifacts + "/driver-transcript.txt").c_str(), "w")) {
        for (const std::string& line : session->transcript)
            fprintf(out, "%s\n", line.c_str());
        fclose(out);
    }
}
