// Minimum-cost assignment of boxes to goals by the Hungarian method in its
// shortest-augmenting-path form: rows are added one at a time, each by one
// Dijkstra-like search over reduced costs. Column potentials v never rise
// above zero and costs are never negative, so a row whose costs changed can be
// taken out and added again with potential 0 without breaking feasibility.
#include "solver_room.h"

#include <algorithm>

void setMatchingCosts(const Room& room, const uint8_t* boxes, int32_t boxCount, Matching* m) {
    m->rows = boxCount;
    m->columns = room.goalCount;
    m->cost.resize((size_t)boxCount * room.goalCount);
    for (int32_t r = 0; r < boxCount; ++r)
        for (int32_t g = 0; g < room.goalCount; ++g) {
            int32_t d = loneDistance(room, g, boxes[r]);
            m->cost[(size_t)r * room.goalCount + g] = d == RoomUnreachable ? MatchInfinite : d;
        }
}

void setSidedMatchingCosts(const Room& room, const uint8_t* boxes, int32_t boxCount, int32_t keeper,
                           Matching* m) {
    m->rows = boxCount;
    m->columns = room.goalCount;
    m->cost.resize((size_t)boxCount * room.goalCount);
    for (int32_t r = 0; r < boxCount; ++r)
        for (int32_t g = 0; g < room.goalCount; ++g) {
            int32_t d = sidedDistance(room, g, boxes[r], keeper);
            m->cost[(size_t)r * room.goalCount + g] = d == RoomUnreachable ? MatchInfinite : d;
        }
}

namespace {

// Adds row (1-based) to the assignment along a cheapest augmenting path. The
// step's delta is not taken from every column at once: minv holds the reduced
// costs plus the deltas so far (offset), and each column taken into the tree
// gets the deltas from the step it was taken on at the end. The comparisons
// are the same ones, so are the path and the potentials.
void addRow(Matching* m, int32_t row) {
    int32_t n = m->columns;
    int32_t* u = m->u.data();
    int32_t* v = m->v.data();
    int32_t* p = m->rowOfColumn.data();
    int32_t minv[RoomMaxCells + 1], way[RoomMaxCells + 1], takenAt[RoomMaxCells + 1];
    bool used[RoomMaxCells + 1];
    std::fill(minv, minv + n + 1, INT32_MAX);
    std::fill(used, used + n + 1, false);
    p[0] = row;
    int32_t j0 = 0, offset = 0;
    do {
        used[j0] = true;
        takenAt[j0] = offset;
        int32_t i0 = p[j0], best = INT32_MAX, j1 = 0;
        const int32_t* costRow = &m->cost[(size_t)(i0 - 1) * n];
        int32_t rowU = u[i0] - offset;
        for (int32_t j = 1; j <= n; ++j) {
            if (used[j]) continue;
            int32_t cur = costRow[j - 1] - rowU - v[j];
            if (cur < minv[j]) minv[j] = cur, way[j] = j0;
            if (minv[j] < best) best = minv[j], j1 = j;
        }
        offset = best;
        j0 = j1;
    } while (p[j0] != 0);
    for (int32_t j = 0; j <= n; ++j)
        if (used[j]) {
            u[p[j]] += offset - takenAt[j];
            v[j] -= offset - takenAt[j];
        }
    do {
        int32_t j1 = way[j0];
        p[j0] = p[j1];
        j0 = j1;
    } while (j0 != 0);
}

int32_t assignedCost(const Matching& m) {
    int32_t total = 0;
    for (int32_t j = 1; j <= m.columns; ++j)
        if (m.rowOfColumn[j] != 0)
            total += m.cost[(size_t)(m.rowOfColumn[j] - 1) * m.columns + (j - 1)];
    return total;
}

} // namespace

int32_t solveMatching(Matching* m) {
    if (m->rows > m->columns) return MatchInfinite;
    m->u.assign(m->rows + 1, 0);
    m->v.assign(m->columns + 1, 0);
    m->rowOfColumn.assign(m->columns + 1, 0);
    for (int32_t r = 1; r <= m->rows; ++r)
        addRow(m, r);
    return std::min(assignedCost(*m), (int32_t)MatchInfinite);
}

int32_t resolveMatchingRow(Matching* m, int32_t row) {
    for (int32_t j = 1; j <= m->columns; ++j)
        if (m->rowOfColumn[j] == row + 1) m->rowOfColumn[j] = 0;
    m->u[row + 1] = 0;
    addRow(m, row + 1);
    return std::min(assignedCost(*m), (int32_t)MatchInfinite);
}
