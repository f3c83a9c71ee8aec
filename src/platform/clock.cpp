#include "platform/clock.h"

namespace {
// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar (H. Hinnant's algorithm).
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
}  // namespace

bool filetime_to_civil(uint64_t filetime, LocalTime& out) {
    if (filetime >= 0x8000000000000000ull) return false;  // FileTimeToSystemTime rejects these
    int64_t secs = static_cast<int64_t>(filetime / kFiletimePerSecond) - static_cast<int64_t>(kFiletimeUnixEpoch / kFiletimePerSecond);
    int64_t days = secs >= 0 ? secs / 86400 : (secs - 86399) / 86400;
    int64_t rem = secs - days * 86400;
    int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    out.year = static_cast<int>(y + (m <= 2));
    if (out.year > 30827) return false;
    out.month = static_cast<int>(m);
    out.day = static_cast<int>(d);
    out.hour = static_cast<int>(rem / 3600);
    out.minute = static_cast<int>((rem / 60) % 60);
    out.second = static_cast<int>(rem % 60);
    out.milliseconds = static_cast<int>((filetime / 10000) % 1000);
    out.day_of_week = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    return true;
}

uint64_t civil_to_filetime(int year, int month, int day, int hour, int minute, int second) {
    int64_t days = days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    int64_t secs = days * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<uint64_t>(secs) * kFiletimePerSecond + kFiletimeUnixEpoch;
}
