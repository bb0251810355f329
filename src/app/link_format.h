#pragma once
// Texts and files made from the controller's clock and journal.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/controller_commands.h"
#include "link/controller_records.h"
#include "model/files.h"

namespace livra {

// "Пн. 08.12.2026  14:03:09"; without a day name for a weekday outside 1..7.
std::string clockText(const ClockRecord& r);
std::string clockText(const LocalDateTime& t);

// The shown row of one journal record; nothing for event codes outside 1..19.
std::optional<JournalRow> journalRow(const JournalRecord& r);

// Rows newest first around the ring: n, n-1, …, 1, 200, …, n+1.
std::vector<JournalRow> journalRows(const std::vector<JournalRecord>& records, int newest);

// The journal file: UTF-16 LE without byte-order mark, CR LF line ends.
Bytes journalFileBytes(const std::vector<JournalRow>& rows);

// UTF-8 to UTF-16 LE bytes (invalid sequences become U+FFFD).
Bytes utf16le(const std::string& utf8);

}  // namespace livra
