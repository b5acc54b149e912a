// What a cache is told about keys it saw lately.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Sightings.h"

namespace NoteBase {
namespace {

TEST(SightingsTest, CountsEachKeyUntilAnotherTakesItsSlotOrAllAreCleared) {
    CSightings seen(1024);
    for (uint64_t key = 1; key <= 100; ++key)
        EXPECT_EQ(seen.Note(key), 0);
    for (int round = 1; round < 300; ++round)
        for (const uint64_t key : {1, 50, 100})
            ASSERT_EQ(seen.Note(key), std::min(round, 255));
    EXPECT_EQ(seen.Note(2), 1);
    // A key that shares the slot of key 1 pushes it out, and is pushed out in turn.
    uint64_t rival = 101;
    while (seen.Note(rival) != 0 || seen.Note(1) != 0)
        ++rival;
    EXPECT_EQ(seen.Note(rival), 0);
    seen.Clear();
    EXPECT_EQ(seen.Note(50), 0);
}

}  // namespace
}  // namespace NoteBase
