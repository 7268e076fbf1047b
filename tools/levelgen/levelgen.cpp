// bexaran-levelgen: designs the 50 built-in levels and a solution for each.
//
// Every level is built backwards from its solved position: boxes start on
// their goals and a keeper pulls them away, one cell per pull. A pull is a
// push played in reverse, so the reversed pulls, joined by shortest keeper
// walks, solve the level; no level can be unsolvable. Many candidates are
// made for each level and the one with the best score (pushes, box changes,
// few cells where a box would be lost) goes in. Before anything is written,
// every solution is replayed with the game's move rules on the level's text.
//
// Deterministic: all randomness comes from one seeded generator of our own,
// so the same command line gives the same table and solutions byte for byte.
//
//   bexaran-levelgen [--seed N] [--table FILE] [--solutions FILE] [--quiet]
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <math.h>
#include <time.h>

#include <algorithm>
#include <queue>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

enum {
    Columns = 20,
    Rows = 16,
    CellCount = Columns * Rows,
    LevelCount = 50,
    FirstFacingLevel = 8, // levels from the ninth on mark the start with a facing
};

// Directions in the order of the solution letters L R U D; d ^ 1 is the
// opposite direction.
const int DirOffset[4] = {-1, 1, -Columns, Columns};
const char DirLetter[4] = {'L', 'R', 'U', 'D'};
const char FacingCode[4] = {'<', '>', '^', 'v'};

// ---------------------------------------------------------------- random

// splitmix64: small, fast and the same on every platform and compiler, which
// the standard distributions do not promise.
struct Rng {
    uint64_t state;
};

uint64_t nextRandom(Rng& rng) {
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// 0 .. n-1 for n > 0.
int randomBelow(Rng& rng, int n) {
    return (int)(nextRandom(rng) % (uint64_t)n);
}

int randomBetween(Rng& rng, int lo, int hi) {
    return lo + randomBelow(rng, hi - lo + 1);
}

// --------------------------------------------------------------- layouts

int cellRow(int c) { return c / Columns; }
int cellColumn(int c) { return c % Columns; }
bool isInner(int c) {
    int r = cellRow(c), k = cellColumn(c);
    return r >= 1 && r <= Rows - 2 && k >= 1 && k <= Columns - 2;
}

struct Layout {
    bool wall[CellCount];
};

int floorCount(const Layout& l) {
    int n = 0;
    for (int c = 0; c < CellCount; ++c) n += !l.wall[c];
    return n;
}

// Marks every open cell reachable from `from` through open cells; blocked
// cells (walls, and boxes if given) stop the walk. Returns the count.
int floodFill(const Layout& l, const bool* blocked, int from, bool* seen) {
    memset(seen, 0, CellCount);
    int queue[CellCount];
    int head = 0, tail = 0;
    queue[tail++] = from;
    seen[from] = true;
    while (head < tail) {
        int c = queue[head++];
        for (int d = 0; d < 4; ++d) {
            int t = c + DirOffset[d];
            if (t < 0 || t >= CellCount || seen[t] || l.wall[t] || (blocked && blocked[t])) continue;
            seen[t] = true;
            queue[tail++] = t;
        }
    }
    return tail;
}

bool isConnected(const Layout& l) {
    int first = -1;
    for (int c = 0; c < CellCount && first < 0; ++c)
        if (!l.wall[c]) first = c;
    if (first < 0) return false;
    bool seen[CellCount];
    return floodFill(l, nullptr, first, seen) == floorCount(l);
}

void openRect(Layout& l, int r0, int c0, int h, int w) {
    for (int r = r0; r < r0 + h; ++r)
        for (int k = c0; k < c0 + w; ++k) {
            int c = r * Columns + k;
            if (isInner(c)) l.wall[c] = false;
        }
}

// Shifts the open area so that it sits in the middle of the board.
void centreLayout(Layout& l) {
    int rMin = Rows, rMax = -1, cMin = Columns, cMax = -1;
    for (int c = 0; c < CellCount; ++c)
        if (!l.wall[c]) {
            rMin = std::min(rMin, cellRow(c));
            rMax = std::max(rMax, cellRow(c));
            cMin = std::min(cMin, cellColumn(c));
            cMax = std::max(cMax, cellColumn(c));
        }
    int dr = (Rows - (rMax - rMin + 1)) / 2 - rMin;
    int dc = (Columns - (cMax - cMin + 1)) / 2 - cMin;
    Layout moved;
    for (int c = 0; c < CellCount; ++c) moved.wall[c] = true;
    for (int c = 0; c < CellCount; ++c)
        if (!l.wall[c]) moved.wall[(cellRow(c) + dr) * Columns + cellColumn(c) + dc] = false;
    l = moved;
}

// A room shape of about `target` open cells inside a box of bw by bh cells:
// overlapping rectangles, each grown from a cell already open, then walls
// that split it into rooms joined by doors, then single pillars.
Layout makeLayout(Rng& rng, int target, int partitions) {
    Layout l;
    for (int c = 0; c < CellCount; ++c) l.wall[c] = true;
    int area = target * 3 / 2;
    int bw = std::min(Columns - 2, std::max(6, (int)(area / randomBetween(rng, 5, 11))));
    int bh = std::min(Rows - 2, std::max(5, area / bw + 1));
    bw = std::min(Columns - 2, std::max(bw, area / bh + 1));
    int top = 1 + randomBelow(rng, Rows - 2 - bh + 1);
    int left = 1 + randomBelow(rng, Columns - 2 - bw + 1);
    auto inBox = [&](int c) {
        int r = cellRow(c), k = cellColumn(c);
        return r >= top && r < top + bh && k >= left && k < left + bw;
    };
    {
        int h = randomBetween(rng, 3, std::min(5, bh)), w = randomBetween(rng, 3, std::min(6, bw));
        // Drawn one by one: the order in which a call's arguments are worked
        // out differs between compilers, and the table must not.
        int c0 = left + randomBelow(rng, bw - w + 1);
        int r0 = top + randomBelow(rng, bh - h + 1);
        openRect(l, r0, c0, h, w);
    }
    for (int guard = 0; floorCount(l) < target && guard < 500; ++guard) {
        int h = randomBetween(rng, 2, 5), w = randomBetween(rng, 2, 6);
        int open[CellCount], n = 0;
        for (int c = 0; c < CellCount; ++c)
            if (!l.wall[c]) open[n++] = c;
        int seed = open[randomBelow(rng, n)];
        int r0 = cellRow(seed) - randomBelow(rng, h), c0 = cellColumn(seed) - randomBelow(rng, w);
        Layout next = l;
        for (int r = r0; r < r0 + h; ++r)
            for (int k = c0; k < c0 + w; ++k) {
                int c = r * Columns + k;
                if (r >= 0 && r < Rows && k >= 0 && k < Columns && isInner(c) && inBox(c)) next.wall[c] = false;
            }
        l = next;
    }
    // Partition walls with one or two doors make rooms that must be
    // entered in the right order.
    for (int p = 0; p < partitions; ++p) {
        bool horizontal = randomBelow(rng, 2) == 0;
        int line = horizontal ? randomBetween(rng, top + 2, top + bh - 3) : randomBetween(rng, left + 2, left + bw - 3);
        Layout next = l;
        std::vector<int> cells;
        for (int i = 0; i < (horizontal ? Columns : Rows); ++i) {
            int c = horizontal ? line * Columns + i : i * Columns + line;
            if (!next.wall[c]) cells.push_back(c);
        }
        if (cells.size() < 4) continue;
        int doors = randomBetween(rng, 1, 2);
        std::vector<bool> keep(cells.size(), false);
        for (int d = 0; d < doors; ++d) keep[randomBelow(rng, (int)cells.size())] = true;
        for (size_t i = 0; i < cells.size(); ++i)
            if (!keep[i]) next.wall[cells[i]] = true;
        if (isConnected(next)) l = next;
    }
    int pillars = randomBelow(rng, 1 + floorCount(l) / 14);
    for (int p = 0; p < pillars; ++p) {
        int c = randomBetween(rng, Columns + 1, CellCount - Columns - 2);
        if (l.wall[c]) continue;
        int openAround = 0;
        for (int d = 0; d < 4; ++d) openAround += !l.wall[c + DirOffset[d]];
        if (openAround < 3) continue;
        l.wall[c] = true;
        if (!isConnected(l)) l.wall[c] = false;
    }
    // Notches on the outline keep shapes from looking like plain rectangles.
    int notches = randomBelow(rng, 4);
    for (int p = 0; p < notches; ++p) {
        int c = randomBetween(rng, Columns + 1, CellCount - Columns - 2);
        if (l.wall[c]) continue;
        int wallsAround = 0;
        for (int d = 0; d < 4; ++d) wallsAround += l.wall[c + DirOffset[d]];
        if (wallsAround != 1) continue;
        l.wall[c] = true;
        if (!isConnected(l)) l.wall[c] = false;
    }
    centreLayout(l);
    return l;
}

// A box on such a cell can never be moved again: it has a wall on a side
// along both axes.
bool isCornerCell(const Layout& l, int c) {
    bool horizontal = l.wall[c - 1] || l.wall[c + 1];
    bool vertical = l.wall[c - Columns] || l.wall[c + Columns];
    return horizontal && vertical;
}

// A box on c can be pulled out in some direction: the keeper needs two free
// cells in a line beside it.
bool isPullable(const Layout& l, int c) {
    for (int d = 0; d < 4; ++d) {
        int k = c + DirOffset[d];
        if (!l.wall[k] && !l.wall[k + DirOffset[d]]) return true;
    }
    return false;
}

// ------------------------------------------------------------ level play

struct Plan {
    int boxesOff;   // boxes that start off a goal
    int boxesOn;    // boxes that start on a goal
    int spareBoxes; // extra boxes for the backward play
    int straightPercent, sameBoxPercent; // how the backward play keeps to one box
    int floorCells; // open cells wanted
    int partitions;
    int pullCap;    // most pulls any one box may get (small on the first levels)
    int pulls;      // length of the backward play
    int candidates;
};

struct Metrics {
    int steps, pushes, boxChanges, deadCells, floorCells, width, height;
};

struct Level {
    char cells[CellCount];
    std::string solution;
    Metrics metrics;
    int score;
    int effort; // search effort, or -1 where not measured
};

struct PullRecord {
    int box; // cell of the box before the pull
    int dir; // the keeper stood at box + dir and stepped on by dir
};

// Shortest keeper walk from `from` to `to`, avoiding walls and boxes,
// appended as letters. False when there is none.
bool appendWalk(const Layout& l, const int* boxAt, int from, int to, std::string& out) {
    if (from == to) return true;
    int parent[CellCount];
    for (int c = 0; c < CellCount; ++c) parent[c] = -1;
    int queue[CellCount];
    int head = 0, tail = 0;
    queue[tail++] = from;
    parent[from] = from;
    while (head < tail && parent[to] < 0) {
        int c = queue[head++];
        for (int d = 0; d < 4; ++d) {
            int t = c + DirOffset[d];
            if (parent[t] >= 0 || l.wall[t] || boxAt[t] >= 0) continue;
            parent[t] = c;
            queue[tail++] = t;
        }
    }
    if (parent[to] < 0) return false;
    std::string walk;
    for (int c = to; c != from; c = parent[c]) {
        int d = 0;
        while (parent[c] + DirOffset[d] != c) ++d;
        walk.push_back(DirLetter[d]);
    }
    out.append(walk.rbegin(), walk.rend());
    return true;
}

// Replays `solution` on a level's text with the game's move rules: the
// keeper steps onto floor or a goal, or pushes exactly one box onto floor or
// a goal; anything else blocks. Succeeds only if no step is blocked and the
// last box reaches a goal on the last step and not before.
bool replaySolution(const char* level, const std::string& solution, const char** why) {
    char board[CellCount];
    memcpy(board, level, CellCount);
    int keeper = -1;
    int boxesLeft = 0;
    for (int c = 0; c < CellCount; ++c) {
        char v = board[c];
        if (v == '$' || v == '<' || v == '>' || v == '^' || v == 'v') {
            keeper = c;
            board[c] = ' ';
        }
        boxesLeft += v == 'o';
    }
    *why = "no start cell";
    if (keeper < 0) return false;
    for (size_t i = 0; i < solution.size(); ++i) {
        const char* letter = strchr("LRUD", solution[i]);
        *why = "bad letter";
        if (!letter || !solution[i]) return false;
        int d = (int)(letter - "LRUD");
        int t = keeper + DirOffset[d];
        *why = "blocked step";
        if (board[t] == 'o' || board[t] == '#') {
            int b = t + DirOffset[d];
            if (board[b] != ' ' && board[b] != 'x') return false;
            if (board[t] == '#') {
                board[t] = 'x';
                ++boxesLeft;
            } else {
                board[t] = ' ';
            }
            if (board[b] == 'x') {
                board[b] = '#';
                --boxesLeft;
            } else {
                board[b] = 'o';
            }
            *why = "solved before the last step";
            if (boxesLeft == 0 && i + 1 < solution.size()) return false;
        } else if (board[t] != ' ' && board[t] != 'x') {
            return false;
        }
        keeper = t;
    }
    *why = "not solved at the end";
    return boxesLeft == 0;
}

// One candidate for a level; false if this attempt came to nothing.
bool makeCandidate(Rng& rng, const Plan& plan, int levelIndex, Level& out) {
    Layout l = makeLayout(rng, plan.floorCells, plan.partitions);
    // A few spare boxes: the backward play need not get every box out, and
    // boxes it never moved are taken away again with their goals.
    int total = plan.boxesOff + plan.boxesOn + plan.spareBoxes;
    std::vector<int> open;
    for (int c = 0; c < CellCount; ++c)
        if (!l.wall[c]) open.push_back(c);
    if ((int)open.size() < total * 2 + 8) return false;

    // Goals: one compact group, a few groups, or scattered cells.
    bool goal[CellCount] = {};
    int style = randomBelow(rng, 3);
    int groups = style == 0 ? 1 : style == 1 ? randomBetween(rng, 2, 4) : total;
    int placed = 0;
    for (int g = 0; g < groups && placed < total; ++g) {
        int want = (total - placed) / (groups - g);
        int seed = open[randomBelow(rng, (int)open.size())];
        std::vector<int> frontier(1, seed);
        bool seen[CellCount] = {};
        seen[seed] = true;
        int got = 0;
        while (!frontier.empty() && got < want) {
            int pick = randomBelow(rng, (int)frontier.size());
            int c = frontier[pick];
            frontier.erase(frontier.begin() + pick);
            if (!goal[c] && isPullable(l, c)) {
                goal[c] = true;
                ++got;
            }
            for (int d = 0; d < 4; ++d) {
                int t = c + DirOffset[d];
                if (!l.wall[t] && !seen[t]) {
                    seen[t] = true;
                    frontier.push_back(t);
                }
            }
        }
        placed += got;
    }
    if (placed != total) return false;

    // Backward play. boxAt holds a box number or -1.
    int boxAt[CellCount];
    for (int c = 0; c < CellCount; ++c) boxAt[c] = -1;
    std::vector<int> pullsOf(total, 0), bestPullsOf;
    {
        int id = 0;
        for (int c = 0; c < CellCount; ++c)
            if (goal[c]) boxAt[c] = id++;
    }
    int keeper = -1;
    for (int tries = 0; tries < 50 && keeper < 0; ++tries) {
        int c = open[randomBelow(rng, (int)open.size())];
        if (boxAt[c] < 0) keeper = c;
    }
    if (keeper < 0) return false;

    // Distance of every cell from the nearest goal: how far a box stands
    // from being done.
    int goalDistance[CellCount];
    {
        for (int c = 0; c < CellCount; ++c) goalDistance[c] = -1;
        int queue[CellCount], head = 0, tail = 0;
        for (int c = 0; c < CellCount; ++c)
            if (goal[c]) {
                goalDistance[c] = 0;
                queue[tail++] = c;
            }
        while (head < tail) {
            int c = queue[head++];
            for (int d = 0; d < 4; ++d) {
                int t = c + DirOffset[d];
                if (l.wall[t] || goalDistance[t] >= 0) continue;
                goalDistance[t] = goalDistance[c] + 1;
                queue[tail++] = t;
            }
        }
    }

    // The play as a list of pulls from the solved position; the state is
    // rebuilt from it after a backtrack.
    int startBoxAt[CellCount];
    memcpy(startBoxAt, boxAt, sizeof boxAt);
    int startKeeper = keeper;
    std::vector<PullRecord> history, bestHistory;
    int lastBox = -1, lastDir = -1, changes = 0;
    auto applyPull = [&](const PullRecord& pull) {
        int id = boxAt[pull.box];
        int k = pull.box + DirOffset[pull.dir];
        boxAt[pull.box] = -1;
        boxAt[k] = id;
        keeper = k + DirOffset[pull.dir];
        ++pullsOf[id];
        if (id != lastBox) ++changes;
        lastBox = id;
        lastDir = pull.dir;
    };
    int bestScore = -1;
    int bestKeeper = keeper;
    int bestBoxAt[CellCount];
    int backtracks = 0;
    for (int step = 0; step < plan.pulls; ++step) {
        bool reach[CellCount], blocked[CellCount];
        for (int c = 0; c < CellCount; ++c) blocked[c] = boxAt[c] >= 0;
        int room = floodFill(l, blocked, keeper, reach);
        PullRecord options[CellCount * 4];
        int count = 0;
        PullRecord straight = {-1, -1};
        PullRecord sameBox[4];
        int sameCount = 0;
        for (int b = 0; b < CellCount; ++b) {
            int id = boxAt[b];
            if (id < 0 || pullsOf[id] >= plan.pullCap) continue;
            for (int d = 0; d < 4; ++d) {
                int k = b + DirOffset[d], k2 = k + DirOffset[d];
                if (!reach[k] || l.wall[k2] || boxAt[k2] >= 0) continue;
                // Pulling a box straight back the way it just came is wasted
                // effort that a player would never make.
                if (id == lastBox && d == (lastDir ^ 1)) continue;
                options[count++] = {b, d};
                if (id == lastBox && d == lastDir && k == keeper) straight = {b, d};
                if (id == lastBox) sameBox[sameCount++] = {b, d};
            }
        }
        if (count == 0) {
            // Walled in: go back a few pulls and try another way.
            if (history.empty() || ++backtracks > 30) break;
            size_t keep = history.size() - std::min(history.size(), (size_t)randomBetween(rng, 1, 12));
            history.resize(keep);
            memcpy(boxAt, startBoxAt, sizeof boxAt);
            keeper = startKeeper;
            std::fill(pullsOf.begin(), pullsOf.end(), 0);
            lastBox = lastDir = -1;
            changes = 0;
            for (const PullRecord& p : history) applyPull(p);
            continue;
        }
        // Mostly keep to the box last pulled, often in a straight line: the
        // solution then moves one box a good way before turning to another,
        // as a player does, and every change of box is one that matters.
        PullRecord pull = straight;
        if (pull.box < 0 || randomBelow(rng, 100) >= plan.straightPercent) pull.box = -1;
        if (pull.box < 0 && sameCount > 0 && randomBelow(rng, 100) < plan.sameBoxPercent)
            pull = sameBox[randomBelow(rng, sameCount)];
        if (pull.box < 0) {
            // Of a few pulls drawn at random, prefer one that takes a box off
            // a goal, does not park it on another, and leaves the keeper
            // room: a keeper walled in by his own boxes ends the play.
            int bestValue = -1000000;
            for (int s = 0; s < 4; ++s) {
                PullRecord o = options[randomBelow(rng, count)];
                int k = o.box + DirOffset[o.dir];
                blocked[o.box] = false;
                blocked[k] = true;
                int after = floodFill(l, blocked, k + DirOffset[o.dir], reach);
                blocked[k] = false;
                blocked[o.box] = true;
                int value = after - room + (goal[o.box] ? 6 : 0) - (goal[k] ? 6 : 0) + randomBelow(rng, 4);
                if (value > bestValue) {
                    bestValue = value;
                    pull = o;
                }
            }
        }
        applyPull(pull);
        history.push_back(pull);

        // A usable end: the planned number of boxes off their goals, and
        // enough boxes on goals, counting the unmoved ones that can go.
        int off = 0, spread = 0, onMoved = 0, unmoved = 0;
        for (int c = 0; c < CellCount; ++c) {
            int b = boxAt[c];
            if (b < 0) continue;
            if (!goal[c]) {
                ++off;
                spread += goalDistance[c];
            } else if (pullsOf[b] > 0) {
                ++onMoved;
            } else {
                ++unmoved;
            }
        }
        if (off != plan.boxesOff || onMoved > plan.boxesOn || onMoved + unmoved < plan.boxesOn) continue;
        int score = spread + 2 * changes;
        if (score > bestScore) {
            bestScore = score;
            bestHistory = history;
            bestKeeper = keeper;
            bestPullsOf = pullsOf;
            memcpy(bestBoxAt, boxAt, sizeof boxAt);
        }
    }
    if (bestScore < 0) return false;
    history = bestHistory;
    {
        // Keep as many unmoved boxes as the level has boxes on goals at the
        // start; take the others away with their goals. Paths only get
        // freer, so the solution still holds.
        int onMoved = 0;
        std::vector<int> unmoved;
        for (int c = 0; c < CellCount; ++c) {
            int b = bestBoxAt[c];
            if (b < 0 || !goal[c]) continue;
            if (bestPullsOf[b] > 0) ++onMoved;
            else unmoved.push_back(c);
        }
        // A box kept in a corner would only be decoration; one in the open
        // stands in the way.
        std::vector<int> open, cornered;
        for (int c : unmoved) (isCornerCell(l, c) ? cornered : open).push_back(c);
        for (int keep = plan.boxesOn - onMoved; keep > 0; --keep) {
            std::vector<int>& from = open.empty() ? cornered : open;
            from.erase(from.begin() + randomBelow(rng, (int)from.size()));
        }
        unmoved = open;
        unmoved.insert(unmoved.end(), cornered.begin(), cornered.end());
        for (int c : unmoved) {
            bestBoxAt[c] = -1;
            goal[c] = false;
        }
    }

    // The start: a floor cell (not a goal) where the keeper can be after the
    // last pull, chosen at random among them.
    {
        bool blocked[CellCount], reach[CellCount];
        for (int c = 0; c < CellCount; ++c) blocked[c] = bestBoxAt[c] >= 0;
        floodFill(l, blocked, bestKeeper, reach);
        std::vector<int> starts;
        for (int c = 0; c < CellCount; ++c)
            if (reach[c] && !goal[c]) starts.push_back(c);
        if (starts.empty()) return false;
        keeper = starts[randomBelow(rng, (int)starts.size())];
    }

    // Forward solution: the pulls in reverse order as pushes, each reached
    // by the shortest walk.
    int forwardAt[CellCount];
    memcpy(forwardAt, bestBoxAt, sizeof forwardAt);
    std::string solution;
    int pushes = 0, boxChanges = 0, pushedBefore = -1;
    int start = keeper;
    for (size_t i = history.size(); i-- > 0;) {
        const PullRecord& p = history[i];
        int k = p.box + DirOffset[p.dir], k2 = k + DirOffset[p.dir];
        if (!appendWalk(l, forwardAt, keeper, k2, solution)) return false;
        solution.push_back(DirLetter[p.dir ^ 1]);
        int id = forwardAt[k];
        if (id != pushedBefore) ++boxChanges;
        pushedBefore = id;
        forwardAt[k] = -1;
        forwardAt[p.box] = id;
        keeper = k;
        ++pushes;
    }

    // Corners that the solution never uses are walled up, again and again
    // while new ones appear: a box pushed there would be lost for good, and
    // they only make the outline ragged. The solution does not touch them,
    // so it still holds.
    {
        bool used[CellCount] = {};
        int at[CellCount];
        memcpy(at, bestBoxAt, sizeof at);
        int k = start;
        used[k] = true;
        for (int c = 0; c < CellCount; ++c) used[c] = used[c] || at[c] >= 0;
        for (char letter : solution) {
            int d = 0;
            while (DirLetter[d] != letter) ++d;
            k += DirOffset[d];
            if (at[k] >= 0) {
                at[k + DirOffset[d]] = at[k];
                at[k] = -1;
                used[k + DirOffset[d]] = true;
            }
            used[k] = true;
        }
        for (bool changed = true; changed;) {
            changed = false;
            for (int c = 0; c < CellCount; ++c) {
                if (l.wall[c] || used[c] || goal[c] || !isCornerCell(l, c)) continue;
                l.wall[c] = true;
                if (isConnected(l)) changed = true;
                else l.wall[c] = false;
            }
        }
        open.clear();
        for (int c = 0; c < CellCount; ++c)
            if (!l.wall[c]) open.push_back(c);
    }

    // The level's text.
    for (int c = 0; c < CellCount; ++c) {
        char v = l.wall[c] ? '@' : goal[c] ? 'x' : ' ';
        if (bestBoxAt[c] >= 0) v = goal[c] ? '#' : 'o';
        out.cells[c] = v;
    }
    int firstDir = 0;
    while (DirLetter[firstDir] != solution[0]) ++firstDir;
    out.cells[start] = levelIndex < FirstFacingLevel ? '$' : FacingCode[firstDir];
    out.solution = solution;

    // Walling up corners may have left the level off the middle: shift it
    // back. Steps are relative, so the solution is unchanged.
    {
        int rMin = Rows, rMax = 0, cMin = Columns, cMax = 0;
        for (int c = 0; c < CellCount; ++c)
            if (out.cells[c] != '@') {
                rMin = std::min(rMin, cellRow(c));
                rMax = std::max(rMax, cellRow(c));
                cMin = std::min(cMin, cellColumn(c));
                cMax = std::max(cMax, cellColumn(c));
            }
        int dr = (Rows - (rMax - rMin + 1)) / 2 - rMin;
        int dc = (Columns - (cMax - cMin + 1)) / 2 - cMin;
        char moved[CellCount];
        memset(moved, '@', sizeof moved);
        for (int c = 0; c < CellCount; ++c)
            if (out.cells[c] != '@') moved[(cellRow(c) + dr) * Columns + cellColumn(c) + dc] = out.cells[c];
        memcpy(out.cells, moved, sizeof moved);
    }

    int dead = 0, rMin = Rows, rMax = 0, cMin = Columns, cMax = 0;
    for (int c = 0; c < CellCount; ++c) {
        if (l.wall[c]) continue;
        dead += !goal[c] && isCornerCell(l, c);
        rMin = std::min(rMin, cellRow(c));
        rMax = std::max(rMax, cellRow(c));
        cMin = std::min(cMin, cellColumn(c));
        cMax = std::max(cMax, cellColumn(c));
    }
    out.metrics = {(int)solution.size(), pushes, boxChanges, dead, (int)open.size(), cMax - cMin + 1, rMax - rMin + 1};
    // What makes a level hard for a player: many pushes, and many times the
    // player must leave one box for another, which is where the order of the
    // pushes matters. Cells where a box is lost for good only add clutter.
    out.score = 10 * pushes + 30 * boxChanges + (int)solution.size() - 30 * dead;
    return true;
}

// ------------------------------------------------------- solver effort

// How hard a level is for a searcher that knows nothing of its making: a
// weighted best-first search over box positions (the keeper anywhere in his
// reachable area), guided by the pushes each box still needs at least. It
// counts the positions it expands until all boxes are on goals; more
// positions, more dead ends and orderings to sort out. Gives up at `limit`.
struct SearchKey {
    uint64_t boxes[5];
    int keeper; // the lowest cell the keeper can reach: one key per area
    bool operator==(const SearchKey& o) const {
        return keeper == o.keeper && memcmp(boxes, o.boxes, sizeof boxes) == 0;
    }
};

struct SearchKeyHash {
    size_t operator()(const SearchKey& k) const {
        uint64_t h = 1469598103934665603ull ^ (uint64_t)k.keeper;
        for (uint64_t w : k.boxes) h = (h ^ w) * 1099511628211ull + (h >> 29);
        return (size_t)h;
    }
};

struct SearchNode {
    SearchKey key;
    int keeperCell;
    int pushes;
};

int searchEffort(const char* cells, int limit) {
    Layout l;
    bool goal[CellCount];
    int start = -1;
    SearchKey first = {};
    for (int c = 0; c < CellCount; ++c) {
        char v = cells[c];
        l.wall[c] = v == '@';
        goal[c] = v == 'x' || v == '#';
        if (v == 'o' || v == '#') first.boxes[c / 64] |= 1ull << (c % 64);
        if (strchr("$<>^v", v)) start = c;
    }
    // Pushes a lone box needs from each cell to the nearest goal; -1 where
    // it can never reach one (a push moves a box from p to p + d with the
    // keeper at p - d).
    int pushDistance[CellCount];
    {
        for (int c = 0; c < CellCount; ++c) pushDistance[c] = -1;
        int queue[CellCount], head = 0, tail = 0;
        for (int c = 0; c < CellCount; ++c)
            if (goal[c]) {
                pushDistance[c] = 0;
                queue[tail++] = c;
            }
        while (head < tail) {
            int q = queue[head++];
            for (int d = 0; d < 4; ++d) {
                int p = q - DirOffset[d], k = p - DirOffset[d];
                if (p < 0 || k < 0 || l.wall[p] || l.wall[k] || pushDistance[p] >= 0) continue;
                pushDistance[p] = pushDistance[q] + 1;
                queue[tail++] = p;
            }
        }
    }
    auto hasBox = [](const SearchKey& k, int c) { return (k.boxes[c / 64] >> (c % 64)) & 1; };
    auto estimate = [&](const SearchKey& k) {
        int h = 0;
        for (int c = 0; c < CellCount; ++c)
            if (hasBox(k, c)) h += pushDistance[c];
        return h;
    };
    auto normalise = [&](SearchKey& k, int keeper) {
        bool blocked[CellCount], reach[CellCount];
        for (int c = 0; c < CellCount; ++c) blocked[c] = hasBox(k, c);
        floodFill(l, blocked, keeper, reach);
        int lowest = 0;
        while (!reach[lowest]) ++lowest;
        k.keeper = lowest;
    };
    // A box off a goal in a square of four cells that are all walls or boxes
    // can never move again.
    auto frozen = [&](const SearchKey& k, int t) {
        const int corners[4] = {0, -1, -Columns, -Columns - 1};
        for (int corner : corners) {
            int a = t + corner;
            int square[4] = {a, a + 1, a + Columns, a + Columns + 1};
            bool closed = true, offGoal = false;
            for (int c : square) {
                bool box = hasBox(k, c);
                closed = closed && (l.wall[c] || box);
                offGoal = offGoal || (box && !goal[c]);
            }
            if (closed && offGoal) return true;
        }
        return false;
    };

    std::vector<SearchNode> nodes;
    std::unordered_set<SearchKey, SearchKeyHash> seen;
    // Entries: (priority, node number), lowest priority first.
    std::priority_queue<std::pair<int, int>, std::vector<std::pair<int, int>>, std::greater<std::pair<int, int>>> open;
    normalise(first, start);
    nodes.push_back({first, start, 0});
    seen.insert(first);
    open.push({estimate(first), 0});
    int expanded = 0;
    while (!open.empty() && expanded < limit) {
        int at = open.top().second;
        open.pop();
        SearchNode node = nodes[at];
        if (estimate(node.key) == 0) return expanded;
        ++expanded;
        bool blocked[CellCount], reach[CellCount];
        for (int c = 0; c < CellCount; ++c) blocked[c] = hasBox(node.key, c);
        floodFill(l, blocked, node.keeperCell, reach);
        for (int b = 0; b < CellCount; ++b) {
            if (!blocked[b]) continue;
            for (int d = 0; d < 4; ++d) {
                int k = b - DirOffset[d], t = b + DirOffset[d];
                if (!reach[k] || l.wall[t] || blocked[t] || pushDistance[t] < 0) continue;
                SearchKey next = node.key;
                next.boxes[b / 64] &= ~(1ull << (b % 64));
                next.boxes[t / 64] |= 1ull << (t % 64);
                if (!goal[t] && frozen(next, t)) continue;
                normalise(next, b);
                if (!seen.insert(next).second) continue;
                nodes.push_back({next, b, node.pushes + 1});
                open.push({node.pushes + 1 + 3 * estimate(next), (int)nodes.size() - 1});
            }
        }
    }
    return -1;
}

Plan planFor(int i) {
    Plan p;
    p.boxesOff = 6 + (24 * i + 24) / 49; // 6 in the first level, 30 in the last
    p.boxesOn = (i >= 5 && i % 3 == 2) ? 1 + i / 16 : 0;
    int total = p.boxesOff + p.boxesOn;
    p.spareBoxes = 1 + total / 8;
    p.floorCells = std::min(200, i < 10 ? 24 + total * 9 / 2 : 20 + total * 5);
    p.partitions = i < 6 ? 0 : i < 20 ? (i % 2) : 1 + i % 2;
    p.pullCap = i == 0 ? 1 : i < 3 ? 2 : i < 6 ? 3 : i < 10 ? 5 : 1000;
    p.pulls = total * (2 + std::min(i, 30) / 3);
    p.candidates = 30 + i * 2;
    p.straightPercent = 60;
    p.sameBoxPercent = 65;
    return p;
}

bool sameCells(const char* a, const char* b) { return memcmp(a, b, CellCount) == 0; }

enum {
    EffortLimit = 20000, // positions the search may expand before it gives up
    MeasuredLevels = 20, // beyond these every good candidate exceeds the limit
    MeasuredCandidates = 8,
};

// The search effort wanted for level i of the first MeasuredLevels: rising
// evenly on a log scale from a handful of positions to the limit.
double effortTarget(int i) {
    return log(8.0) + (log((double)EffortLimit) - log(8.0)) * i / (MeasuredLevels - 1);
}

Level designLevel(uint64_t seed, int i, const std::vector<Level>& earlier) {
    Plan plan = planFor(i);
    Rng rng = {seed * 1000003ull + (uint64_t)i * 7919ull};
    std::vector<Level> found;
    for (int attempt = 0; (int)found.size() < plan.candidates && attempt < plan.candidates * 50; ++attempt) {
        Level cand;
        if (!makeCandidate(rng, plan, i, cand)) continue;
        const char* why = "";
        // A candidate whose boxes all reach goals before its last push (the
        // backward play passed through a solved position) is dropped.
        if (!replaySolution(cand.cells, cand.solution, &why)) continue;
        bool repeat = false;
        for (const Level& e : earlier) repeat = repeat || sameCells(e.cells, cand.cells);
        if (repeat) continue;
        cand.effort = -1;
        found.push_back(cand);
    }
    if (found.empty()) {
        fprintf(stderr, "levelgen: no candidate for level %d\n", i + 1);
        exit(1);
    }
    std::stable_sort(found.begin(), found.end(), [](const Level& a, const Level& b) { return a.score > b.score; });
    if (i >= MeasuredLevels) return found[0];
    // Of the best few, the one whose search effort is nearest the ramp's.
    size_t pick = 0;
    double nearest = 1e9;
    for (size_t k = 0; k < found.size() && k < MeasuredCandidates; ++k) {
        int effort = searchEffort(found[k].cells, EffortLimit);
        found[k].effort = effort < 0 ? EffortLimit : effort;
        double off = fabs(log(1.0 + found[k].effort) - effortTarget(i));
        if (off < nearest) {
            nearest = off;
            pick = k;
        }
    }
    return found[pick];
}

int boxesOffGoal(const Level& l) { return (int)std::count(l.cells, l.cells + CellCount, 'o'); }

// Levels with the same number of boxes come easier first: by search effort
// where it was measured, else by score. Then every start cell gets the mark
// its place in the game asks for.
void orderWithinBoxCounts(std::vector<Level>& levels) {
    for (size_t from = 0; from < levels.size();) {
        size_t to = from;
        while (to < levels.size() && boxesOffGoal(levels[to]) == boxesOffGoal(levels[from])) ++to;
        std::stable_sort(levels.begin() + from, levels.begin() + to, [](const Level& a, const Level& b) {
            if (a.effort != b.effort) return a.effort < b.effort;
            return a.score < b.score;
        });
        from = to;
    }
    for (size_t i = 0; i < levels.size(); ++i) {
        char* cells = levels[i].cells;
        int firstDir = 0;
        while (DirLetter[firstDir] != levels[i].solution[0]) ++firstDir;
        for (int c = 0; c < CellCount; ++c)
            if (strchr("$<>^v", cells[c]) && cells[c])
                cells[c] = (int)i < FirstFacingLevel ? '$' : FacingCode[firstDir];
    }
}

bool writeTable(const char* path, const std::vector<Level>& levels, uint64_t seed) {
    FILE* f = fopen(path, "w");
    if (!f) return false;
    fprintf(f,
            "// The 50 built-in levels in playing order, 16 rows of 20 cells each.\n"
            "// Cells: '@' wall, ' ' floor, 'x' goal, 'o' box, '#' box on a goal;\n"
            "// the keeper's start is '$' in levels 1 to 8 and '<' '>' '^' 'v' (his\n"
            "// facing) from level 9 on. Made by tools/levelgen (seed %llu), which\n"
            "// wrote a solution for each level to tools/levelgen/solutions.txt; a\n"
            "// level edited by hand needs its solution line updated to match.\n"
            "#include \"game.h\"\n"
            "\n"
            "namespace {\n"
            "\n"
            "// The parameter type takes only a string of exactly one row, so a row of\n"
            "// the wrong length does not compile.\n"
            "constexpr unsigned char cellOf(const char (&row)[BoardColumns + 1], int column) {\n"
            "    return static_cast<unsigned char>(row[column]);\n"
            "}\n"
            "\n"
            "} // namespace\n"
            "\n"
            "#define ROW(r)                                                                    \\\n"
            "    cellOf(r, 0), cellOf(r, 1), cellOf(r, 2), cellOf(r, 3), cellOf(r, 4), cellOf(r, 5), \\\n"
            "        cellOf(r, 6), cellOf(r, 7), cellOf(r, 8), cellOf(r, 9), cellOf(r, 10),           \\\n"
            "        cellOf(r, 11), cellOf(r, 12), cellOf(r, 13), cellOf(r, 14), cellOf(r, 15),       \\\n"
            "        cellOf(r, 16), cellOf(r, 17), cellOf(r, 18), cellOf(r, 19)\n"
            "\n"
            "// clang-format off\n"
            "const unsigned char LevelTable[LevelCount][BoardCellCount] = {\n",
            (unsigned long long)seed);
    for (size_t i = 0; i < levels.size(); ++i) {
        const Metrics& m = levels[i].metrics;
        fprintf(f, "    // Level %d: %d boxes, solved in %d steps, %d pushes\n    {\n", (int)i + 1,
                (int)std::count(levels[i].cells, levels[i].cells + CellCount, 'o'), m.steps, m.pushes);
        for (int r = 0; r < Rows; ++r) fprintf(f, "        ROW(\"%.20s\"),\n", levels[i].cells + r * Columns);
        fprintf(f, "    },\n");
    }
    fprintf(f, "};\n// clang-format on\n");
    return fclose(f) == 0;
}

bool writeSolutions(const char* path, const std::vector<Level>& levels) {
    FILE* f = fopen(path, "w");
    if (!f) return false;
    for (const Level& l : levels) fprintf(f, "%s\n", l.solution.c_str());
    return fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv) {
    uint64_t seed = 1;
    const char* tablePath = nullptr;
    const char* solutionsPath = nullptr;
    bool quiet = false, measure = false;
    for (int a = 1; a < argc; ++a) {
        if (!strcmp(argv[a], "--seed") && a + 1 < argc) {
            seed = strtoull(argv[++a], nullptr, 10);
        } else if (!strcmp(argv[a], "--table") && a + 1 < argc) {
            tablePath = argv[++a];
        } else if (!strcmp(argv[a], "--solutions") && a + 1 < argc) {
            solutionsPath = argv[++a];
        } else if (!strcmp(argv[a], "--quiet")) {
            quiet = true;
        } else if (!strcmp(argv[a], "--effort")) {
            measure = true;
        } else {
            fprintf(stderr, "usage: %s [--seed N] [--table FILE] [--solutions FILE] [--quiet] [--effort]\n", argv[0]);
            return 2;
        }
    }
    clock_t begun = clock();
    std::vector<Level> levels;
    for (int i = 0; i < LevelCount; ++i) levels.push_back(designLevel(seed, i, levels));
    orderWithinBoxCounts(levels);
    double designSeconds = (double)(clock() - begun) / CLOCKS_PER_SEC;
    for (int i = 0; i < LevelCount; ++i) {
        const char* why = "";
        if (!replaySolution(levels[i].cells, levels[i].solution, &why)) {
            fprintf(stderr, "levelgen: level %d fails its replay: %s\n", i + 1, why);
            return 1;
        }
    }
    if (!quiet) {
        printf("level  off  on  steps  pushes  changes  dead  floor  size   effort\n");
        for (size_t i = 0; i < levels.size(); ++i) {
            const Level& l = levels[i];
            const Metrics& m = l.metrics;
            printf("%5d  %3d  %2d  %5d  %6d  %7d  %4d  %5d  %2dx%-2d", (int)i + 1,
                   (int)std::count(l.cells, l.cells + CellCount, 'o'),
                   (int)std::count(l.cells, l.cells + CellCount, '#'), m.steps, m.pushes, m.boxChanges,
                   m.deadCells, m.floorCells, m.width, m.height);
            if (measure) {
                int e = l.effort >= 0 ? l.effort : searchEffort(l.cells, EffortLimit);
                if (e < 0 || e >= EffortLimit) printf("  >%d", (int)EffortLimit);
                else printf("  %d", e);
            }
            printf("\n");
        }
        printf("designed in %.2f s of processor time\n", designSeconds);
    }
    if (tablePath && !writeTable(tablePath, levels, seed)) {
        fprintf(stderr, "levelgen: cannot write %s\n", tablePath);
        return 1;
    }
    if (solutionsPath && !writeSolutions(solutionsPath, levels)) {
        fprintf(stderr, "levelgen: cannot write %s\n", solutionsPath);
        return 1;
    }
    return 0;
}
