#pragma once

#include <cstdint>
#include <string>

// The history keeps every time in UTC, to the millisecond ("2026-05-03T09:12:07.123Z"); a
// person reads it in local time, and an export carries the offset.

// Milliseconds since 1970 of a stored time; false when `text` is no such time. The date
// alone, or a time without seconds or milliseconds, is read too ("2026-05-03 09:12").
bool ParseUtc(const std::string& text, int64_t& ms);
// The stored form of `ms`.
std::string UtcText(int64_t ms);

// Local time, "2026-05-03 11:12:07", as lists show it beside a column headed with the zone.
std::string ShortTime(const std::string& takenUtc);
// The local zone's name at that time ("CEST"), for a time that stands alone.
std::string ZoneName(const std::string& takenUtc);
// "2026-05-03 11:12:07 CEST".
std::string ShortTimeWithZone(const std::string& takenUtc);
// ISO 8601 in local time with the offset, to the millisecond: "2026-05-03T11:12:07.123+02:00".
std::string IsoTime(const std::string& takenUtc);
// A local date and time as a person types it ("2026-05-03", "2026-05-03 14:00") as a stored
// UTC time; false when it is no such date.
bool LocalToUtc(const std::string& local, std::string& utc);
