#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace NoteBase {

// How often each key (a hash) was seen lately, so that a cache keeps only what comes back. It is
// a fixed table with one slot per key's share of the hash: noting a key allocates nothing, and a
// key whose slot another took since counts as never seen. Counts stop at 255.
class CSightings {
public:
    // At least `count` slots (a power of two).
    explicit CSightings(size_t count) : m_slots(std::bit_ceil(count < 2 ? size_t{2} : count)) {
        m_shift = 64 - std::countr_zero(m_slots.size());
    }

    // Notes one more sighting of the key; the sightings before this one.
    uint8_t Note(uint64_t key) noexcept {
        // The key's high bits pick the slot, after a multiply that spreads weak hashes.
        Slot& slot = m_slots[(key * 0x9E3779B97F4A7C15u) >> m_shift];
        if (slot.count == 0 || slot.key != key) {
            slot = {key, 1};
            return 0;
        }
        const uint8_t before = slot.count;
        if (slot.count < UINT8_MAX) ++slot.count;
        return before;
    }

    void Clear() noexcept {
        for (Slot& slot : m_slots)
            slot = {};
    }

private:
    struct Slot {
        uint64_t key = 0;
        uint8_t count = 0;  // 0: empty
    };
    std::vector<Slot> m_slots;
    int m_shift = 0;
};

}  // namespace NoteBase
