// The set of positions a search has seen: open addressing with linear
// probing, at most half full. A slot holds the low half of the position's
// hash and the number the caller stored the position under, so a probe past
// other positions rarely has to read them; the caller keeps the positions
// themselves and says whether stored number n is the one it looks for.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <vector>

enum : uint32_t { PositionNone = 0xFFFFFFFFu }; // an empty slot

struct PositionSlot {
    uint32_t tag;   // low half of the hash
    uint32_t index; // the caller's number of the position, PositionNone when empty
};

struct PositionTable {
    std::vector<PositionSlot> slots; // a power of two
    size_t used;
};

// An empty table of firstSize slots (a power of two).
void startPositionTable(PositionTable* table, size_t firstSize);

// The slot for hash where same(index) says the stored position is the one
// looked for, or the empty slot where it belongs.
template <class Same>
inline PositionSlot* findPosition(PositionTable* table, uint64_t hash, Same same) {
    size_t mask = table->slots.size() - 1;
    uint32_t tag = (uint32_t)hash;
    for (size_t i = tag & mask;; i = (i + 1) & mask) {
        PositionSlot& slot = table->slots[i];
        if (slot.index == PositionNone) return &slot;
        if (slot.tag == tag && same(slot.index)) return &slot;
    }
}

// Doubles the table, every slot moving to its place in the larger one.
void growPositionTable(PositionTable* table);

// Fills the empty slot findPosition gave for hash. The table doubles once it
// is over half full, which moves every slot: pointers into it are stale after.
inline void addPosition(PositionTable* table, PositionSlot* slot, uint64_t hash, uint32_t index) {
    *slot = PositionSlot{(uint32_t)hash, index};
    if (++table->used * 2 > table->slots.size()) growPositionTable(table);
}

// The slot a search should fetch early for hash.
inline const PositionSlot* positionHome(const PositionTable& table, uint64_t hash) {
    return &table.slots[(uint32_t)hash & (table.slots.size() - 1)];
}
