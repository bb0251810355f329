#include "app/link_format.h"

#include <cstdio>
#include <optional>

#include "app/texts.h"

namespace livra {
namespace {

const char* const kWeekdays[7] = {"Пн.", "Вт.", "Ср.", "Чт.", "Пт.", "Сб.", "Вс."};

std::string dateTime(int day, int month, int year, int hour, int minute, int second) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d  %02d:%02d:%02d", day, month, year, hour, minute, second);
    return buf;
}

std::string weekdayName(int w) { return w >= 1 && w <= 7 ? kWeekdays[w - 1] : ""; }

const char* eventText(int code) {
    switch (code) {
        case 1: return "ППЗУ внешняя  выдает ошибочные данные";
        case 2: return "Часы не отвечают";
        case 3: return "ППЗУ процессора  выдает ошибочные данные";
        case 4: return "В часах сбилось время";
        case 5: return "Плата силовых ключей не отвечает";
        case 6: return "Нет нагрузки";
        case 7: return "Конфликт";
        case 8: return "Работа ДК восстановлена после критической ошибки (сбой)";
        case 9: return "Нормальный запуск ДК";
        case 10: return "Установлена новая конфигурация";
        default: return nullptr;
    }
}

}  // namespace

std::string clockText(const ClockRecord& r) {
    return weekdayName(r.weekday) + " " + dateTime(r.day, r.month, 2000 + r.year, r.hour, r.minute, r.second);
}

std::string clockText(const LocalDateTime& t) {
    return weekdayName(t.weekday) + " " + dateTime(t.day, t.month, t.year, t.hour, t.minute, t.second);
}

std::optional<JournalRow> journalRow(const JournalRecord& r) {
    if (r.event < 1 || r.event > 19) return std::nullopt;
    JournalRow row;
    if (r.event == 2 || r.event == 4)
        row.date = "??.??.????  ??:??:??";
    else
        row.date = dateTime(r.day, r.month, 2000 + r.year, r.hour, r.minute, r.second);
    if (r.event == 5) {
        row.channel = "Плата №";
        row.direction = std::to_string(r.direction);
    } else if (r.event == 6 || r.event == 7) {
        row.channel = std::to_string(r.channel);
        row.direction = std::to_string(r.direction);
    }
    const char* text = eventText(r.event);
    // Codes 11..19 are reserved by the controller for events without a text.
    row.event = text ? text : "Событие " + std::to_string(r.event);
    return row;
}

std::vector<JournalRow> journalRows(const std::vector<JournalRecord>& records, int newest) {
    std::vector<JournalRow> rows;
    const int count = int(records.size());
    if (newest < 1 || newest > count) return rows;
    auto add = [&](int r) {
        if (auto row = journalRow(records[std::size_t(r - 1)])) rows.push_back(std::move(*row));
    };
    for (int r = newest; r >= 1; --r) add(r);
    for (int r = count; r > newest; --r) add(r);
    return rows;
}

Bytes utf16le(const std::string& s) {
    Bytes out;
    auto put = [&](uint32_t u) {
        out.push_back(uint8_t(u));
        out.push_back(uint8_t(u >> 8));
    };
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0xFFFD;
        int len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 6 && i + 1 < s.size()) {
            cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
            len = 2;
        } else if ((c >> 4) == 14 && i + 2 < s.size()) {
            cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            len = 3;
        } else if ((c >> 3) == 30 && i + 3 < s.size()) {
            cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
            len = 4;
        }
        i += std::size_t(len);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

Bytes journalFileBytes(const std::vector<JournalRow>& rows) {
    std::string text = std::string(kJournalHeader) + "\r\n" + "\n\r\n";
    int written = 0;
    for (const auto& row : rows) {
        if (written == 200) break;
        ++written;
        if (row.date.empty()) continue;
        text += row.date + "\t" + row.channel + "\t" + row.direction + "\t\t" + row.event + "\r\n";
    }
    return utf16le(text);
}

}  // namespace livra
