// The controller's clock and journal records as they arrive in replies: any
// bytes give texts without reading outside the record, a clock that names a
// real moment survives the trip through seconds, and the journal file keeps
// its layout (UTF-16 LE, CR LF, at most 200 rows).
// Input: 7 clock bytes, 8 bytes of a second count, the newest record number,
// then up to 200 journal records of 9 bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/link_format.h"
#include "link/controller_records.h"
#include "model/civil_date.h"

using namespace livra;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool realMoment(const ClockRecord& r) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (r.month < 1 || r.month > 12 || r.day < 1 || r.hour > 23 || r.minute > 59 || r.second > 59) return false;
    const int year = 2000 + r.year;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return r.day <= kDays[r.month - 1] + (r.month == 2 && leap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 7) return 0;
    const ClockRecord clock = ClockRecord::fromBytes(data);
    check(!clockText(clock).empty());
    if (realMoment(clock)) {
        const int64_t s = secondsOf(clock);
        ClockRecord expected = clock;
        expected.weekday = uint8_t(weekdayOf(2000 + clock.year, clock.month, clock.day));
        check(clockRecordAt(s) == expected);
        check(s >= 0 && s < civilSeconds(2256, 1, 1, 0, 0, 0));
    }
    data += 7;
    size -= 7;

    if (size >= 8) {
        int64_t seconds;
        std::memcpy(&seconds, data, 8);
        // Within the span a controller's clock can hold (years 2000..2255)
        // the record is exact; beyond it the fields stay in their ranges.
        const ClockRecord at = clockRecordAt(seconds);
        check(at.weekday >= 1 && at.weekday <= 7 && at.month >= 1 && at.month <= 12 && at.day >= 1 &&
              at.day <= 31 && at.hour <= 23 && at.minute <= 59 && at.second <= 59);
        if (seconds >= 0 && seconds < civilSeconds(2256, 1, 1, 0, 0, 0)) check(realMoment(at) && secondsOf(at) == seconds);
        data += 8;
        size -= 8;
    }

    if (size < 1) return 0;
    const int newest = data[0];
    ++data;
    --size;
    std::vector<JournalRecord> records;
    for (; size >= 9 && records.size() < std::size_t(kJournalRecordCount); data += 9, size -= 9)
        records.push_back(JournalRecord::fromBytes(data));
    std::size_t shown = 0;
    for (const auto& r : records) {
        const auto row = journalRow(r);
        check(row.has_value() == (r.event >= 1 && r.event <= 19));
        if (row) check(!row->date.empty() && !row->event.empty()), ++shown;
    }
    const auto rows = journalRows(records, newest);
    check(rows.size() == (newest >= 1 && newest <= int(records.size()) ? shown : 0));

    const Bytes file = journalFileBytes(rows);
    check(file.size() % 2 == 0 && file.size() >= 4);
    check(file[file.size() - 4] == '\r' && file[file.size() - 3] == 0 && file[file.size() - 2] == '\n' &&
          file[file.size() - 1] == 0);
    auto lines = [](const Bytes& b) {
        std::size_t n = 0;
        for (std::size_t i = 0; i + 1 < b.size(); i += 2) n += b[i] == '\n' && b[i + 1] == 0;
        return n;
    };
    check(lines(file) == lines(journalFileBytes({})) + rows.size());
    return 0;
}
