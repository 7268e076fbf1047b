// Pool lines: the figures (the plain search's positions with a "+" where it
// stopped unfinished, "gK/M" for K boxes on goals at the start of which the
// solution moves M, where there are any, "pA+B" for a level joined from the
// small-room pool's rooms A and B), then the board as 320
// characters ('.' for floor, '$' for the keeper), then the solution,
// separated by single spaces.
#include "candidate.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

double effortOf(const Candidate& c) {
    return c.pushes > 0 ? (double)c.plainExpanded / c.pushes : 0;
}

double interferenceOf(const Candidate& c) {
    return c.loneEstimate > 0 ? (double)c.pushes / c.loneEstimate - 1 : 0;
}

int32_t boxesOffGoal(const Candidate& c) {
    return c.boxes - c.onGoal;
}

double pushesPerBox(const Candidate& c) {
    return boxesOffGoal(c) > 0 ? (double)c.pushes / boxesOffGoal(c) : 0;
}

std::string candidateLine(const Candidate& c) {
    char head[256];
    snprintf(head, sizeof head, "%llu %d %d %d %d %lld%s %lld %d ", (unsigned long long)c.room,
             c.boxes, c.pushes, c.moves, c.loneEstimate, (long long)c.plainExpanded,
             c.plainStopped ? "+" : "", (long long)c.proofExpanded, c.fillerBoxes);
    std::string line = head;
    if (c.onGoal > 0)
        line += "g" + std::to_string(c.onGoal) + "/" + std::to_string(c.parkedMoved) + " ";
    for (size_t i = 0; i < c.parts.size(); ++i)
        line += (i ? "+" : "p") + std::to_string(c.parts[i]) + (i + 1 == c.parts.size() ? " " : "");
    for (size_t i = 0; i < c.boxRuns.size(); ++i)
        line += (i ? "," : "") + std::to_string(c.boxRuns[i]);
    line += ' ';
    for (int32_t i = 0; i < BoardCellCount; ++i)
        line += i == c.keeperCell                   ? '$'
                : c.board.cells[i] == CellCodeFloor ? '.'
                                                    : (char)c.board.cells[i];
    return line + ' ' + c.solution;
}

bool parseCandidateLine(const std::string& line, Candidate* c) {
    unsigned long long room;
    long long plain, proof;
    int used = 0, rest = 0;
    if (sscanf(line.c_str(), "%llu %d %d %d %d %lld%n", &room, &c->boxes, &c->pushes, &c->moves,
               &c->loneEstimate, &plain, &used) != 6)
        return false;
    c->plainStopped = line.c_str()[used] == '+';
    used += c->plainStopped;
    if (sscanf(line.c_str() + used, " %lld %d %n", &proof, &c->fillerBoxes, &rest) != 2)
        return false;
    used += rest;
    c->room = room;
    c->plainExpanded = plain;
    c->proofExpanded = proof;
    const char* p = line.c_str() + used;
    c->onGoal = c->parkedMoved = 0;
    int more = 0;
    if (*p == 'g' && sscanf(p, "g%d/%d %n", &c->onGoal, &c->parkedMoved, &more) == 2) p += more;
    c->parts.clear();
    if (*p == 'p') {
        do {
            char* end;
            c->parts.push_back(strtoull(p + 1, &end, 10));
            p = end;
        } while (*p == '+');
        if (*p++ != ' ') return false;
    }
    c->boxRuns.clear();
    while (*p && *p != ' ') {
        char* end;
        c->boxRuns.push_back((int32_t)strtol(p, &end, 10));
        p = *end == ',' ? end + 1 : end;
    }
    if (*p++ != ' ' || strlen(p) < BoardCellCount + 2 || p[BoardCellCount] != ' ') return false;
    c->keeperCell = -1;
    for (int32_t i = 0; i < BoardCellCount; ++i) {
        char k = p[i];
        if (k == '$') c->keeperCell = i;
        c->board.cells[i] = k == '.' || k == '$' ? (unsigned char)CellCodeFloor : (unsigned char)k;
    }
    c->solution = p + BoardCellCount + 1;
    int32_t goals = 0;
    for (unsigned char k : c->board.cells)
        goals += k == CellCodeGoal;
    return c->keeperCell >= 0 && (int32_t)c->boxRuns.size() == c->boxes &&
           goals == boxesOffGoal(*c);
}
