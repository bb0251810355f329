// The virtual controller against whatever a host sends and whatever its
// --state file holds: every request gets a well-formed reply or none, the
// journal pointer stays in 1..200, and the state it saves loads back to the
// same bytes. A state file it refuses leaves the controller as it was.
// Input: byte 0 chooses the mode:
//   bit 0: the state file is a saved one whose clock offset, journal pointer
//          and 16 bytes at a chosen place come from the input (first 27 bytes);
//   bit 1: the rest of the input is also offered whole as a state file;
//   bit 2: requests are [command][number, 4 bytes LE][length][data], else the
//          rest is a byte stream framed as on the line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "emulator/controller_model.h"

using namespace livra;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

ControllerModelOptions options() {
    ControllerModelOptions o;
    o.clock = ClockRecord{0, 0, 12, 1, 7, 12, 26};
    o.applyTime = std::chrono::milliseconds(300);
    return o;
}

const int64_t kStart = civilSeconds(2026, 12, 7, 12, 0, 0);
int64_t hostClock = kStart;

// Building a controller encodes its factory image; copy a built one instead.
ControllerModel freshController() {
    static const ControllerModel built(options(), [] { return hostClock; });
    hostClock = kStart;
    return built;
}

struct Harness {
    ControllerModel model = freshController();
    ControllerModel::SteadyTime now{};

    void request(const ParsedRequest& r) {
        now += std::chrono::milliseconds(100);
        ++hostClock;
        const auto reply = model.handle(r, now);
        if (!reply.empty()) {
            Reply parsed;
            check(parseReply(reply, parsed) == ExchangeResult::Ok);
        }
        check(model.newestRecord() >= 1 && model.newestRecord() <= kJournalRecordCount);
        const ClockRecord c = model.clock();
        check(c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= 31 && c.hour <= 23);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    std::span<const uint8_t> rest(data + 1, size - 1);
    Harness h;

    if (mode & 1) {
        if (rest.size() < 27) return 0;
        auto state = h.model.saveState();
        // The tail of a state: journal pointer, then the clock offset.
        std::memcpy(state.data() + state.size() - 9, rest.data(), 9);
        uint64_t at = 0;
        std::memcpy(&at, rest.data() + 9, 2);
        at = 8 + at * (state.size() - 8 - 9 - 16) / 65536;  // anywhere after the magic
        for (std::size_t i = 0; i < 16; ++i) state[at + i] ^= rest[11 + i];
        rest = rest.subspan(27);
        const auto before = h.model.saveState();
        if (!h.model.loadState(state)) check(h.model.saveState() == before);
    }
    if (mode & 2) {
        const auto before = h.model.saveState();
        if (!h.model.loadState(std::vector<uint8_t>(rest.begin(), rest.end()))) check(h.model.saveState() == before);
    }

    if (mode & 4) {
        while (rest.size() >= 6) {
            ParsedRequest r;
            r.command = rest[0];
            std::memcpy(&r.number, rest.data() + 1, 4);
            const std::size_t n = std::min<std::size_t>(std::max<std::size_t>(rest[5], 1), rest.size() - 6);
            r.data.assign(rest.begin() + 6, rest.begin() + 6 + std::ptrdiff_t(n));
            if (r.data.empty()) r.data.push_back(0);
            rest = rest.subspan(6 + n);
            h.request(r);
        }
    } else {
        FrameReceiver receiver(TagRequest);
        for (uint8_t b : rest) {
            if (!receiver.feed(b)) continue;
            if (!receiver.overflowed())
                if (const auto r = parseRequest(receiver.frame())) h.request(*r);
            receiver.reset();
        }
    }

    // What it saves on exit, it loads on the next start.
    const auto saved = h.model.saveState();
    ControllerModel next = freshController();
    check(next.loadState(saved));
    check(next.saveState() == saved);
    return 0;
}
