#include "level_figures.h"

#include <stdio.h>
#include <string.h>

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    FILE* in = fopen(path.c_str(), "r");
    if (!in) return lines;
    std::string line;
    for (int c; (c = fgetc(in)) != EOF;) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += (char)c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    fclose(in);
    return lines;
}

bool readLevelFigures(const std::string& tableSource, std::vector<LevelFigures>* figures) {
    std::vector<std::string> lines = readLines(tableSource);
    if (lines.empty()) return false;
    for (const std::string& line : lines) {
        int level = 0, used = 0;
        LevelFigures f = {0, 0, 0, 0, 0, 0, 0, 0, false};
        long long positions = 0;
        if (sscanf(line.c_str(), " // Level %d: %d boxes%n", &level, &f.boxes, &used) < 1) continue;
        const char* rest = line.c_str() + used;
        int more = 0;
        if (sscanf(rest, ", %d on goals (%d moved)%n", &f.onGoal, &f.parkedMoved, &more) == 2)
            rest += more;
        if (sscanf(rest, "; %d pushes (fewest), %d moves; lone-box estimate %d;%n", &f.pushes,
                   &f.moves, &f.loneEstimate, &more) != 3 ||
            level != (int)figures->size() + 1)
            return false;
        rest += more;
        f.unfinished = !strncmp(rest, " effort at least ", 17);
        const char* form = f.unfinished ? " effort at least %lf (%lld positions%n"
                                        : " effort %lf (%lld positions%n";
        if (sscanf(rest, form, &f.effort, &positions, &more) != 2) return false;
        rest += more;
        if (strcmp(rest, f.unfinished ? ", unfinished)" : ")")) return false;
        f.positions = positions;
        figures->push_back(f);
    }
    return true;
}
