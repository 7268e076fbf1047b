#include "position_table.h"

void growPositionTable(PositionTable* table) {
    std::vector<PositionSlot> bigger(table->slots.size() * 2, PositionSlot{0, PositionNone});
    size_t mask = bigger.size() - 1;
    for (const PositionSlot& slot : table->slots) {
        if (slot.index == PositionNone) continue;
        size_t i = slot.tag & mask;
        while (bigger[i].index != PositionNone)
            i = (i + 1) & mask;
        bigger[i] = slot;
    }
    table->slots.swap(bigger);
}

void startPositionTable(PositionTable* table, size_t firstSize) {
    table->slots.assign(firstSize, PositionSlot{0, PositionNone});
    table->used = 0;
}
