#include "level_figures.h"

#include <stdio.h>

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
        LevelFigures f = {0, 0, 0, 0, 0, 0, 0, 0};
        long long positions = 0;
        if (sscanf(line.c_str(), " // Level %d: %d boxes%n", &level, &f.boxes, &used) < 1) continue;
        const char* rest = line.c_str() + used;
        int more = 0;
        if (sscanf(rest, ", %d on goals (%d moved)%n", &f.onGoal, &f.parkedMoved, &more) == 2)
            rest += more;
        if (sscanf(rest,
                   "; %d pushes (fewest), %d moves; lone-box estimate %d;"
                   " effort %lf (%lld positions)",
                   &f.pushes, &f.moves, &f.loneEstimate, &f.effort, &positions) != 5 ||
            level != (int)figures->size() + 1)
            return false;
        f.positions = positions;
        figures->push_back(f);
    }
    return true;
}
