// bexaran-cli: plays the built-in levels without a window.
//   bexaran-cli level N          the position after level N (1..50) starts
//   bexaran-cli play N MOVES     level N, then MOVES one character at a time:
//                                L R U D arrow keys, z undo (only while
//                                offered), r restart, n new game; stops at the
//                                first move that solves the level
//   bexaran-cli save N MOVES FILE   plays like play, then writes the saved
//                                game to FILE (exit 1 if it cannot be written)
//   bexaran-cli load FILE        checks and loads FILE and prints the position
//                                as level does; a refused file: the reason on
//                                stderr and exit 1
// Output: the position as headlessPrintPosition writes it, and for play a
// last line "moves K", the number of MOVES characters consumed. New
// subcommands go into Commands below.
// Exit code 0; 2 with a one-line message on stderr for bad arguments.
#include "headless.h"

#include <stdio.h>
#include <string.h>

enum { ExitOk = 0, ExitBadArguments = 2 };

static const char ProgramName[] = "bexaran-cli";

// Level numbers are 1..50 as the player sees them; decimal digits only.
static bool parseLevel(const char* text, int32_t* index) {
    int32_t value = 0;
    if (text[0] == '\0' || strlen(text) > 2) return false;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + (*c - '0');
    }
    if (value < 1 || value > LevelCount) return false;
    *index = value - 1;
    return true;
}

static bool checkLevel(const char* text, int32_t* index) {
    if (parseLevel(text, index)) return true;
    fprintf(stderr, "%s: bad level number \"%s\" (expected 1 to %d)\n", ProgramName, text,
            LevelCount);
    return false;
}

static const char MoveCharacters[] = "LRUDzrn";

static bool checkMoves(const char* moves) {
    for (const char* c = moves; *c; ++c) {
        if (!strchr(MoveCharacters, *c)) {
            fprintf(stderr, "%s: bad move character '%c' at position %d (expected one of %s)\n",
                    ProgramName, *c, (int)(c - moves) + 1, MoveCharacters);
            return false;
        }
    }
    return true;
}

static int commandLevel(char** args) {
    int32_t index;
    if (!checkLevel(args[0], &index)) return ExitBadArguments;
    headlessReset();
    headlessStartGame(index);
    headlessPrintPosition(stdout);
    return ExitOk;
}

static int commandPlay(char** args) {
    int32_t index;
    if (!checkLevel(args[0], &index) || !checkMoves(args[1])) return ExitBadArguments;
    headlessReset();
    headlessStartGame(index);
    int consumed = headlessPlay(args[1]);
    headlessPrintPosition(stdout);
    printf("moves %d\n", consumed);
    return ExitOk;
}

enum { ExitRefused = 1 };

// Saved games go through the same code as the game's save and load commands.
static int commandSave(char** args) {
    int code = commandPlay(args);
    if (code != ExitOk) return code;
    if (!writeSavedGame(args[2])) {
        fprintf(stderr, "%s: %s: the game could not be saved\n", ProgramName, args[2]);
        return ExitRefused;
    }
    return ExitOk;
}

static int commandLoad(char** args) {
    headlessReset();
    SavedGameCheck check = readSavedGame(args[0]);
    if (check != SavedGameValid) {
        fprintf(stderr, "%s: %s: refused: %s\n", ProgramName, args[0], savedGameCheckName(check));
        return ExitRefused;
    }
    headlessPrintPosition(stdout);
    return ExitOk;
}

struct CliCommand {
    const char* name;
    int argumentCount; // after the command name
    const char* usage;
    int (*run)(char** args);
};

static const CliCommand Commands[] = {
    {"level", 1, "level N", commandLevel},
    {"play", 2, "play N MOVES", commandPlay},
    {"save", 3, "save N MOVES FILE", commandSave},
    {"load", 1, "load FILE", commandLoad},
};

static int usage() {
    fprintf(stderr, "usage: %s", ProgramName);
    const char* separator = " ";
    for (const CliCommand& command : Commands) {
        fprintf(stderr, "%s%s", separator, command.usage);
        separator = " | ";
    }
    fprintf(stderr, " (N is 1 to %d)\n", LevelCount);
    return ExitBadArguments;
}

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    for (const CliCommand& command : Commands) {
        if (strcmp(argv[1], command.name) == 0) {
            if (argc - 2 != command.argumentCount) return usage();
            return command.run(argv + 2);
        }
    }
    return usage();
}
