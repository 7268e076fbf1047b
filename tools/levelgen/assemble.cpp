// The choice of the 50 levels. Levels 1 to 5 teach (few boxes, the least
// search effort), 6 to 10 ask for depth, and from 10 on every level needs
// boxes that get in each other's way. Within what qualifies, the levels are
// ordered by the plain search's effort per push, so the set rises by ideas
// rather than by size.
#include "assemble.h"

#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

struct SlotRule {
    int32_t maxBoxes;
    double minPushesPerBox;
    double minInterference;
};

SlotRule ruleFor(int32_t n) {
    if (n < 5) return {4, 3, -1};
    if (n < 9) return {6, 6, -1};
    if (n < 10) return {6, 6, 0.1};
    if (n < 20) return {8, 6, 0.1};
    return {12, 6, 0.1};
}

// Boxes pushed in two runs or more, as a share of the level's boxes.
double sharedBoxes(const Candidate& c) {
    int32_t many = 0;
    for (int32_t r : c.boxRuns)
        many += r >= 2;
    return c.boxes ? (double)many / c.boxes : 0;
}

bool fits(const Candidate& c, const SlotRule& rule) {
    return c.boxes >= 3 && c.boxes <= rule.maxBoxes && pushesPerBox(c) >= rule.minPushesPerBox &&
           interferenceOf(c) >= rule.minInterference && c.fillerBoxes == 0;
}

bool byEffort(const Candidate& a, const Candidate& b) {
    if (effortOf(a) != effortOf(b)) return effortOf(a) < effortOf(b);
    return a.room < b.room;
}

// The first candidate from index `from` on that fits the slot and whose room
// is not used yet; -1 if none.
int32_t firstFitting(const std::vector<Candidate>& sorted, size_t from, const SlotRule& rule,
                     const std::set<uint64_t>& usedRooms) {
    for (size_t i = from; i < sorted.size(); ++i)
        if (fits(sorted[i], rule) && !usedRooms.count(sorted[i].room)) return (int32_t)i;
    return -1;
}

} // namespace

bool mayBeChosen(const Candidate& c) {
    for (int32_t n : {0, 5, 9, 10, 20})
        if (fits(c, ruleFor(n))) return true;
    return false;
}

bool readPool(const std::vector<std::string>& paths, std::vector<Candidate>* pool) {
    std::set<std::string> seen;
    for (const std::string& path : paths) {
        FILE* in = fopen(path.c_str(), "r");
        if (!in) return false;
        std::string line;
        for (int ch; (ch = fgetc(in)) != EOF;) {
            if (ch != '\n') {
                line += (char)ch;
                continue;
            }
            Candidate c;
            // A line cut short by a stopped run is skipped, not fatal.
            if (parseCandidateLine(line, &c) && seen.insert(line).second) pool->push_back(c);
            line.clear();
        }
        fclose(in);
    }
    return true;
}

std::vector<Candidate> chooseLevels(const std::vector<Candidate>& pool, std::string* report) {
    std::vector<Candidate> sorted = pool;
    std::sort(sorted.begin(), sorted.end(), byEffort);
    // Interference levels share most of their boxes between pushes of
    // others; the rest of the pool serves the first levels only.
    std::vector<Candidate> tangled;
    for (const Candidate& c : sorted)
        if (sharedBoxes(c) >= 0.5) tangled.push_back(c);
    std::vector<Candidate> levels;
    std::set<uint64_t> usedRooms;
    // The first ten, easiest first, from the whole pool.
    for (int32_t n = 0; n < 10; ++n) {
        const std::vector<Candidate>& from = n < 9 ? sorted : tangled;
        int32_t i = firstFitting(from, 0, ruleFor(n), usedRooms);
        if (i < 0) break;
        levels.push_back(from[i]);
        usedRooms.insert(from[i].room);
    }
    // The other forty spread evenly over the efforts of what is left, the
    // hardest last.
    // One candidate per room (its hardest), so the even spread is over rooms.
    std::vector<Candidate> rest;
    std::set<uint64_t> restRooms;
    for (auto c = tangled.rbegin(); c != tangled.rend(); ++c)
        if (!usedRooms.count(c->room) && fits(*c, ruleFor(20)) && restRooms.insert(c->room).second)
            rest.push_back(*c);
    std::reverse(rest.begin(), rest.end());
    size_t want = LevelCount - levels.size();
    for (size_t k = 0; k < want && !rest.empty(); ++k) {
        int32_t n = (int32_t)levels.size();
        size_t at = rest.size() <= want ? k : (size_t)((double)k * (rest.size() - 1) / (want - 1));
        int32_t i = firstFitting(rest, at, ruleFor(n), usedRooms);
        if (i < 0) i = firstFitting(rest, 0, ruleFor(n), usedRooms);
        if (i < 0) break;
        levels.push_back(rest[i]);
        usedRooms.insert(rest[i].room);
    }
    // Within each ten from the eleventh level on, easiest first (the first
    // ten keep the order their rules gave them).
    for (size_t d = 10; d + 10 <= levels.size(); d += 10)
        std::sort(levels.begin() + d, levels.begin() + d + 10, byEffort);
    if (levels.size() < (size_t)LevelCount)
        *report += "only " + std::to_string(levels.size()) + " levels qualify\n";
    return levels;
}
