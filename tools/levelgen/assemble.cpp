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

#include "room.h"

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

bool fitsWholeBoard(const Candidate& c, int32_t n);

} // namespace

bool mayBeChosen(const Candidate& c) {
    for (int32_t n : {0, 5, 9, 10, 20})
        if (fits(c, ruleFor(n))) return true;
    for (int32_t n : {0, 5, 9, 10, 40})
        if (fitsWholeBoard(c, n)) return true;
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

namespace {

// Where level n (0-based) may come from in the whole-board set.
bool fitsWholeBoard(const Candidate& c, int32_t n) {
    int32_t off = boxesOffGoal(c);
    if (off < 6 || off > 32 || c.fillerBoxes > off / 10) return false;
    if (n < 10 && off > 8) return false;
    if (n >= 40 && off < 12) return false;
    if (n >= 5 && pushesPerBox(c) < 6) return false;
    return n < 9 || interferenceOf(c) >= 0.1;
}

double medianOf(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// A level is one of its room's; one joined from rooms of the small-room pool
// also takes those rooms, so no two levels hold the same room.
bool isUsed(const std::set<uint64_t>& used, const Candidate& c) {
    if (used.count(c.room)) return true;
    for (uint64_t part : c.parts)
        if (used.count(part | 1ull << 63)) return true;
    return false;
}

bool markUsed(std::set<uint64_t>* used, const Candidate& c) {
    if (isUsed(*used, c)) return false;
    used->insert(c.room);
    for (uint64_t part : c.parts)
        used->insert(part | 1ull << 63);
    return true;
}

// The hardest `count` of what fits place n, rooms not used yet, those with
// at least `minBoxes` off goal first up to `wanted` of them.
std::vector<Candidate> hardestFor(const std::vector<Candidate>& sorted, int32_t n, size_t count,
                                  int32_t minBoxes, size_t wanted, std::set<uint64_t>* used) {
    std::vector<Candidate> out;
    for (int32_t pass = 0; pass < 2; ++pass)
        for (auto c = sorted.rbegin(); c != sorted.rend() && out.size() < count; ++c) {
            if (!fitsWholeBoard(*c, n) || isUsed(*used, *c)) continue;
            if (pass == 0 && (boxesOffGoal(*c) < minBoxes || out.size() >= wanted)) continue;
            out.push_back(*c);
            markUsed(used, *c);
        }
    return out;
}

} // namespace

namespace {

// The last ten are the biggest, and among as big the costliest: the effort
// of the biggest is often only a lower bound (the plain search stopped).
bool bySize(const Candidate& a, const Candidate& b) {
    if (boxesOffGoal(a) != boxesOffGoal(b)) return boxesOffGoal(a) < boxesOffGoal(b);
    return byEffort(a, b);
}

std::vector<Candidate> chooseOnce(const std::vector<Candidate>& pool, std::string* report) {
    std::vector<Candidate> sorted = pool, bigFirst = pool;
    std::sort(sorted.begin(), sorted.end(), byEffort);
    std::sort(bigFirst.begin(), bigFirst.end(), bySize);
    std::set<uint64_t> used;
    // The last ten first: the biggest, three of 16 boxes or more.
    std::vector<Candidate> last = hardestFor(bigFirst, 40, 10, 16, 3, &used);
    // The first ten: the easiest that fit, in order.
    std::vector<Candidate> levels;
    for (int32_t n = 0; n < 10; ++n)
        for (const Candidate& c : sorted)
            if (fitsWholeBoard(c, n) && markUsed(&used, c)) {
                levels.push_back(c);
                break;
            }
    // The thirty between: spread evenly over the efforts of what is left
    // below the last ten, one candidate per room.
    double ceiling = last.empty() ? 1e300 : effortOf(last.back());
    std::vector<Candidate> middle;
    std::set<uint64_t> middleRooms = used;
    for (auto c = sorted.rbegin(); c != sorted.rend(); ++c)
        if (fitsWholeBoard(*c, 20) && effortOf(*c) <= ceiling && markUsed(&middleRooms, *c))
            middle.push_back(*c);
    std::reverse(middle.begin(), middle.end());
    for (size_t k = 0; k < 30 && k < middle.size(); ++k) {
        size_t at = middle.size() <= 30 ? k : (size_t)((double)k * (middle.size() - 1) / 29);
        levels.push_back(middle[at]);
    }
    levels.insert(levels.end(), last.begin(), last.end());
    // Within each ten from the eleventh level on, easiest first.
    for (size_t d = 10; d + 10 <= levels.size(); d += 10)
        std::sort(levels.begin() + d, levels.begin() + d + 10, byEffort);
    if (levels.size() < (size_t)LevelCount)
        *report += "only " + std::to_string(levels.size()) + " levels qualify (" +
                   std::to_string(last.size()) + " for the last ten, " +
                   std::to_string(std::min<size_t>(middle.size(), 30)) + " for levels 11-40)\n";
    else
        *report += wholeBoardShortfalls(levels);
    return levels;
}

} // namespace

std::vector<Candidate> chooseWholeBoardLevels(const std::vector<Candidate>& pool,
                                              std::string* report) {
    // Boxes parked on goals should mostly be in the way: while too few of
    // the levels that hold them move one, the chosen ones whose parked boxes
    // all stay put are left out and the choice made again.
    std::vector<Candidate> left = pool, best;
    std::string bestSaid;
    for (;;) {
        std::string said;
        std::vector<Candidate> levels = chooseOnce(left, &said);
        // Leaving rooms out may leave too few: the last full set stands.
        if (levels.size() < (size_t)LevelCount && !best.empty()) {
            *report += bestSaid;
            return best;
        }
        best = levels, bestSaid = said;
        int32_t parked = 0, moved = 0;
        for (const Candidate& c : levels)
            parked += c.onGoal > 0, moved += c.parkedMoved > 0;
        auto resting = std::find_if(levels.begin(), levels.end(), [](const Candidate& c) {
            return c.onGoal > 0 && c.parkedMoved == 0;
        });
        if (moved * 2 >= parked || resting == levels.end()) {
            *report += said;
            return levels;
        }
        uint64_t room = resting->room;
        left.erase(std::remove_if(left.begin(), left.end(),
                                  [room](const Candidate& c) { return c.room == room; }),
                   left.end());
    }
}

std::string wholeBoardShortfalls(const std::vector<Candidate>& levels) {
    std::string out;
    auto miss = [&out](bool met, const std::string& what) {
        if (!met) out += what + "\n";
    };
    miss(levels.size() == (size_t)LevelCount, "not 50 levels");
    if (levels.size() != (size_t)LevelCount) return out;
    int32_t parked = 0, moved = 0, big = 0, rectangles = 0, sixteen = 0, boxes = 0, filler = 0;
    std::set<std::pair<int32_t, int32_t>> sizes;
    std::set<std::string> layouts;
    std::vector<double> runs, medians, efforts;
    for (int32_t n = 0; n < LevelCount; ++n) {
        const Candidate& c = levels[n];
        std::string at = "level " + std::to_string(n + 1) + ": ";
        miss(fitsWholeBoard(c, n), at + "does not fit its place");
        int32_t columns, rows, open = 0;
        openExtent(c.board, &columns, &rows);
        for (unsigned char k : c.board.cells)
            open += k != CellCodeWall;
        sizes.insert({columns, rows});
        big += columns >= 14 || rows >= 11;
        rectangles += open == columns * rows;
        layouts.insert(std::string(c.board.cells, c.board.cells + BoardCellCount));
        parked += c.onGoal > 0;
        moved += c.parkedMoved > 0;
        sixteen += boxesOffGoal(c) >= 16;
        boxes += boxesOffGoal(c);
        filler += c.fillerBoxes;
        if (n >= 10)
            for (int32_t r : c.boxRuns)
                if (r > 0) runs.push_back(r);
        if (n % 10 == 0) medians.push_back(0), efforts.push_back(0);
        efforts.back() += effortOf(c) / 10;
    }
    for (int32_t d = 0; d < 5; ++d) {
        std::vector<double> counts;
        for (int32_t n = d * 10; n < d * 10 + 10; ++n)
            counts.push_back(boxesOffGoal(levels[n]));
        medians[d] = medianOf(counts);
        if (d > 0) {
            std::string tens =
                "levels " + std::to_string(d * 10 + 1) + "-" + std::to_string(d * 10 + 10) + ": ";
            miss(medians[d] >= medians[d - 1], tens + "median box count below the ten before");
            miss(efforts[d] > efforts[d - 1], tens + "mean effort not above the ten before");
        }
    }
    miss(efforts[4] >= 10 * efforts[0], "the last ten's effort is not ten times the first's");
    miss(sixteen >= 3, "fewer than three levels of 16 boxes or more");
    miss(parked >= 8, "fewer than 8 levels with boxes on goals at the start");
    miss(moved * 2 >= parked, "in fewer than half of those the solution moves one");
    miss(big >= 10, "fewer than 10 rooms of 14 columns or 11 rows");
    miss(sizes.size() >= 15, "fewer than 15 room sizes");
    miss(rectangles <= 5, "more than 5 plain rectangles");
    miss(layouts.size() == (size_t)LevelCount, "two levels are the same");
    miss(filler * 10 <= boxes, "more than one box in ten is filler");
    miss(medianOf(runs) >= 1.5, "the median box of levels 11-50 is pushed in one run");
    return out;
}
