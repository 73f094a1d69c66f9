#include "history/history_time.h"

#include <cstdio>
#include <ctime>

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Fields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milli = 0;
};

// "YYYY-MM-DD[(T| )HH:MM[:SS[.mmm]]][Z]"; false when it is not that.
bool ParseFields(const std::string& text, Fields& f) {
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &f.year, &f.month, &f.day, &used) != 3 ||
        used != 10)
        return false;
    size_t at = 10;
    if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) {
        int n = 0;
        if (std::sscanf(text.c_str() + at + 1, "%2d:%2d%n", &f.hour, &f.minute, &n) != 2 || n != 5)
            return false;
        at += 1 + 5;
        if (at < text.size() && text[at] == ':') {
            if (std::sscanf(text.c_str() + at + 1, "%2d%n", &f.second, &n) != 1 || n != 2)
                return false;
            at += 3;
            if (at < text.size() && text[at] == '.') {
                if (std::sscanf(text.c_str() + at + 1, "%3d%n", &f.milli, &n) != 1 || n != 3)
                    return false;
                at += 4;
            }
        }
    }
    if (at < text.size() && text[at] == 'Z')
        ++at;
    return at == text.size() && f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31 &&
           f.hour <= 23 && f.minute <= 59 && f.second <= 60 && f.hour >= 0 && f.minute >= 0 &&
           f.second >= 0 && f.milli >= 0;
}

bool LocalParts(const std::string& takenUtc, std::tm& local, int& milli, long& offset) {
    int64_t ms = 0;
    if (!ParseUtc(takenUtc, ms))
        return false;
    const int64_t floorSeconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const std::time_t seconds = static_cast<std::time_t>(floorSeconds);
    milli = static_cast<int>(ms - floorSeconds * 1000);
    if (!localtime_r(&seconds, &local))
        return false;
    offset = local.tm_gmtoff;
    return true;
}

} // namespace

bool ParseUtc(const std::string& text, int64_t& ms) {
    Fields f;
    if (!ParseFields(text, f))
        return false;
    const int64_t days =
        DaysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day));
    ms = ((days * 24 + f.hour) * 60 + f.minute) * 60000 + f.second * 1000 + f.milli;
    return true;
}

std::string UtcText(int64_t ms) {
    const int64_t floorSeconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const std::time_t seconds = static_cast<std::time_t>(floorSeconds);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms - floorSeconds * 1000));
    return text;
}

std::string ShortTime(const std::string& takenUtc) {
    std::tm local{};
    int milli = 0;
    long offset = 0;
    if (!LocalParts(takenUtc, local, milli, offset))
        return takenUtc;
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string ZoneName(const std::string& takenUtc) {
    std::tm local{};
    int milli = 0;
    long offset = 0;
    if (!LocalParts(takenUtc, local, milli, offset))
        return "UTC";
    char text[16];
    std::strftime(text, sizeof text, "%Z", &local);
    return text;
}

std::string ShortTimeWithZone(const std::string& takenUtc) {
    return ShortTime(takenUtc) + " " + ZoneName(takenUtc);
}

std::string IsoTime(const std::string& takenUtc) {
    std::tm local{};
    int milli = 0;
    long offset = 0;
    if (!LocalParts(takenUtc, local, milli, offset))
        return takenUtc;
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char text[96];
    std::snprintf(text, sizeof text, "%s.%03d%c%02ld:%02ld", date, milli, offset < 0 ? '-' : '+',
                  minutes / 60, minutes % 60);
    return text;
}

bool LocalToUtc(const std::string& localText, std::string& utc) {
    Fields f;
    if (!ParseFields(localText, f) || (!localText.empty() && localText.back() == 'Z'))
        return false;
    std::tm local{};
    local.tm_year = f.year - 1900;
    local.tm_mon = f.month - 1;
    local.tm_mday = f.day;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_sec = f.second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1) && !(f.year == 1969))
        return false;
    utc = UtcText(static_cast<int64_t>(seconds) * 1000 + f.milli);
    return true;
}
