#pragma once
// Times as data rows write them: an ISO 8601 date, time of day, or both (T or a blank
// between them), with optional seconds, fraction and zone (Z, +01:00):
// 2026-12-08T10:00:00.5Z, 2026-12-08 10:00, 10:00:00.
#include <optional>
#include <string_view>

namespace kavrin::app {

bool IsTimestamp(std::string_view text);
// A date alone: 2026-12-08.
bool IsDate(std::string_view text);

// The time in seconds: from 1970-01-01T00:00:00 for a date, from midnight for a time of
// day alone; a zone given is taken off (10:00+01:00 is 09:00Z), a time without one counts as
// written. Nothing for a text that is not a time.
std::optional<double> TimestampSeconds(std::string_view text);

}  // namespace kavrin::app
