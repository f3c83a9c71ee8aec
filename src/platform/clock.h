// Time: tick counts, the system time as FILETIME and conversion to local broken-down time.
#pragma once
#include <cstdint>

struct LocalTime {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
    int day_of_week = 0;  // 0 = Sunday
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t tick_ms() = 0;      // GetTickCount64
    virtual uint64_t now_filetime() = 0;  // GetSystemTimeAsFileTime
    // FileTimeToLocalFileTime + FileTimeToSystemTime; false when the conversion fails.
    virtual bool to_local(uint64_t filetime, LocalTime& out) = 0;
};

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFiletimeUnixEpoch = 116444736000000000ull;
constexpr uint64_t kFiletimePerSecond = 10000000ull;

// Civil calendar conversion for UTC FILETIME values (no time zone); false past year 30827.
bool filetime_to_civil(uint64_t filetime, LocalTime& out);
uint64_t civil_to_filetime(int year, int month, int day, int hour, int minute, int second);
