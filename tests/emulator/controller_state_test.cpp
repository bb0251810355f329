#include <gtest/gtest.h>

#include <climits>

#include "emulator/controller_model.h"
#include "image/image.h"
#include "model/civil_date.h"
#include "support/test_support.h"

using namespace livra;

namespace {

ControllerModel controllerAt(int64_t& host) {
    ControllerModelOptions o;
    o.clock = ClockRecord{0, 0, 12, 1, 7, 12, 26};
    return ControllerModel(o, [&host] { return host; });
}

void putOffset(std::vector<uint8_t>& state, int64_t offset) {
    for (int i = 0; i < 8; ++i) state[state.size() - 8 + std::size_t(i)] = uint8_t(uint64_t(offset) >> (8 * i));
}

}  // namespace

// A --state file whose clock offset lies far outside the years a
// controller's clock can show overflowed the clock arithmetic; a refused file
// must not have replaced the memory either.
TEST(ControllerState, AnOffsetNoClockCanHoldIsRefusedBeforeAnythingChanges) {
    int64_t host = civilSeconds(2026, 12, 7, 12, 0, 0);
    ControllerModel saved = controllerAt(host);
    saved.logEvent(EventNewConfiguration);
    std::vector<uint8_t> state = saved.saveState();
    state[20] ^= 0xFF;  // memory that differs from the fresh controller's

    ControllerModel fresh = controllerAt(host);
    const auto before = fresh.saveState();
    for (int64_t offset : {INT64_MAX, INT64_MIN, civilSeconds(2300, 1, 1, 0, 0, 1), -civilSeconds(2300, 1, 1, 0, 0, 1)}) {
        putOffset(state, offset);
        EXPECT_FALSE(fresh.loadState(state)) << offset;
        EXPECT_EQ(fresh.saveState(), before) << offset;
    }

    // Offsets a real run can leave (the clock set to 2255 or to 2000) load.
    for (int64_t offset : {civilSeconds(2255, 12, 31, 23, 59, 59) - host, -host}) {
        putOffset(state, offset);
        ASSERT_TRUE(fresh.loadState(state)) << offset;
        EXPECT_EQ(fresh.saveState(), state);
        EXPECT_EQ(secondsOf(fresh.clock()), host + offset);
    }
}

// A folder with a part's name is not a part file: refused by name of its
// kind, not by how a system's stream happens to read a folder.
TEST(ControllerState, PartFilesThatAreFoldersAreNotAnImage) {
    test::TempDir dir;
    ImageFiles image;
    for (const auto& part : imageParts())
        image[std::size_t(part.number - 1)] = Bytes(part.size < 0 ? 10 : std::size_t(part.size), uint8_t(part.number));
    ASSERT_TRUE(writeImageParts(dir.path(), image));
    ASSERT_EQ(readImageParts(dir.path()), image);

    std::filesystem::remove(partFilePath(dir.path(), 5));
    std::filesystem::create_directory(partFilePath(dir.path(), 5));
    EXPECT_FALSE(readImageParts(dir.path()).has_value());
}

// Any month or day a caller passes gives a day number (no overflow).
TEST(ControllerState, DayNumbersOfFieldsOutOfRangeAreDefined) {
    EXPECT_EQ(daysFromCivil(2026, 13, 1), daysFromCivil(2027, 1, 1));
    EXPECT_EQ(daysFromCivil(2026, 12, 32), daysFromCivil(2027, 1, 1));
    const int64_t far = daysFromCivil(2026, INT_MAX, INT_MAX);
    EXPECT_GT(far, daysFromCivil(2026, 12, 31) + int64_t(INT_MAX));
}
