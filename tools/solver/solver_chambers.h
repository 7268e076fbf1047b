// Chambers: groups of boxes that can never meet. When no box can ever be
// pushed to where a box of another group can go, each group's boxes can
// only ever fill the goals within their own reach, and a position's pushes
// left are at least the sum, over the groups, of the fewest pushes that
// group needs with every other box taken off the board: any solution,
// restricted to one group's pushes, is such a solution for that group
// alone (the other boxes only ever stood in the keeper's way). Each group
// alone is a small puzzle that the solver proves on its own, once per
// distinct position of that group, and the sum is exact where the groups
// also leave the keeper's way between them free, as rooms of separate
// chambers do: then the search goes straight down the optimum instead of
// trying every mix of the chambers' partial progress.
#pragma once
#include "solver.h"
#include "solver_room.h"

#include <stdint.h>

struct Chambers;

// The groups of the start's boxes on room (read from board), or null when
// the boxes form one group or the goals do not split with them. limits are
// the search's: the solutions of the groups alone are searched within them.
Chambers* findChambers(const Board& board, const Room& room, const RoomStart& start,
                       const SolverLimits& limits);
void freeChambers(Chambers* chambers);

// The sum over the groups of the fewest pushes each needs alone, for the
// position of boxes (room cells) with the keeper on room cell keeper: a
// lower bound on the pushes left; a group whose search stops in the limits
// counts its proven lower bound. MatchInfinite when some group can never be
// solved. *expanded grows by the positions searched for it.
int32_t chamberEstimate(Chambers* chambers, const uint8_t* boxes, int32_t boxCount, int32_t keeper,
                        int64_t* expanded);
