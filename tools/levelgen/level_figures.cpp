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
        int level = 0;
        LevelFigures f;
        long long positions = 0;
        if (sscanf(line.c_str(), " // Level %d:", &level) != 1) continue;
        if (sscanf(line.c_str(),
                   " // Level %d: %d boxes; %d pushes (fewest), %d moves; lone-box estimate %d;"
                   " effort %lf (%lld positions)",
                   &level, &f.boxes, &f.pushes, &f.moves, &f.loneEstimate, &f.effort,
                   &positions) != 7 ||
            level != (int)figures->size() + 1)
            return false;
        f.positions = positions;
        figures->push_back(f);
    }
    return true;
}
