#pragma once
// The time of one tick, as the host keeps it beside the tick's values: a wall-clock time to
// the microsecond, with its date or as a time of day only, or none (a run read as fast as
// possible without a time column). Times from the data keep the wall-clock time they were
// written with (a zone suffix is read and left out); instants (the clock, epoch seconds)
// are taken in the local time zone.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavrin::host {

constexpr int64_t kMicrosPerSecond = 1000000;
constexpr int64_t kMicrosPerDay = 86400 * kMicrosPerSecond;

// A wall-clock time taken apart; month and day count from 1.
struct CivilTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int micro = 0;
};

class TickTime {
 public:
  enum class Kind : uint8_t { kNone, kTimeOfDay, kDateTime };

  TickTime() = default;
  // Microseconds since 1970-01-01 00:00 of the wall clock.
  static TickTime DateTime(int64_t micros) { return TickTime(Kind::kDateTime, micros); }
  // Microseconds since midnight, 0 .. kMicrosPerDay - 1.
  static TickTime TimeOfDay(int64_t micros) { return TickTime(Kind::kTimeOfDay, micros); }
  static TickTime FromCivil(const CivilTime& c);
  // The local wall-clock time of an instant given in microseconds since 1970 (UTC).
  static TickTime FromEpoch(int64_t epochMicros);
  static TickTime Now();
  // A field of a time column: an ISO 8601 date, time of day or both (T or a blank between
  // them) with optional seconds, fraction ("." or ",") and zone; or seconds since 1970 (UTC),
  // with a fraction. None when the text is neither or names no real date or time.
  static std::optional<TickTime> Parse(std::string_view text);
  // The ISO 8601 forms alone: a plain number is no time here (it tells a column of times
  // from a column of numbers).
  static std::optional<TickTime> ParseIso(std::string_view text);

  Kind GetKind() const { return kind_; }
  bool Known() const { return kind_ != Kind::kNone; }
  bool HasDate() const { return kind_ == Kind::kDateTime; }
  int64_t Micros() const { return micros_; }
  CivilTime Civil() const;
  // The text Parse reads back to the same time: 2026-12-08T10:00:00.25, 10:00:00, or empty.
  std::string Text() const;
  // The same text into out, without allocating; its length, at most kMaxText - 2.
  static constexpr size_t kMaxText = 32;
  size_t Text(char (&out)[kMaxText]) const;

  bool operator==(const TickTime&) const = default;

 private:
  TickTime(Kind kind, int64_t micros) : kind_(kind), micros_(micros) {}

  Kind kind_ = Kind::kNone;
  int64_t micros_ = 0;
};

}  // namespace kavrin::host
