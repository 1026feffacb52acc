#include "host/time_labels.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace kavrin::host {

namespace {

constexpr int64_t kMicrosPerMinute = 60 * kMicrosPerSecond;

TimeUnit UnitFor(int64_t step) {
  if (step < kMicrosPerSecond) return TimeUnit::kMillisecond;
  if (step < kMicrosPerMinute) return TimeUnit::kSecond;
  if (step < kMicrosPerDay) return TimeUnit::kMinute;
  return TimeUnit::kDay;
}

int64_t Day(const TickTime& t) { return t.Micros() / kMicrosPerDay - (t.Micros() % kMicrosPerDay < 0 ? 1 : 0); }

// 1, 2, 5, 10, 20, 50, ...: the next number of lines from one label to the next.
int64_t NextEvery(int64_t n) {
  int64_t power = 1;
  while (power * 10 <= n) power *= 10;
  const int64_t lead = n / power;
  return (lead == 1 ? 2 : lead == 2 ? 5 : 10) * power;
}

// The smallest step between neighbours that is not zero (0 when there is none).
int64_t SmallestStep(const std::vector<TickTime>& times) {
  int64_t step = 0;
  for (size_t i = 1; i < times.size(); ++i) {
    const int64_t d = times[i].Micros() > times[i - 1].Micros() ? times[i].Micros() - times[i - 1].Micros()
                                                                : times[i - 1].Micros() - times[i].Micros();
    if (d != 0 && (step == 0 || d < step)) step = d;
  }
  return step;
}

std::vector<std::string> TimeTexts(const std::vector<TickTime>& times, int64_t step) {
  const TimeUnit unit = step == 0 ? TimeUnit::kSecond : UnitFor(step);
  const bool dates = unit != TimeUnit::kDay && std::all_of(times.begin(), times.end(), [](const TickTime& t) {
                       return t.HasDate();
                     }) && std::any_of(times.begin(), times.end(), [&](const TickTime& t) {
                       return Day(t) != Day(times.front());
                     });
  std::vector<std::string> texts;
  for (size_t i = 0; i < times.size(); ++i)
    texts.push_back(FormatTickTime(times[i], unit, dates && (i == 0 || Day(times[i]) != Day(times[i - 1]))));
  return texts;
}

}  // namespace

std::string FormatTickTime(const TickTime& t, TimeUnit unit, bool withDate) {
  const CivilTime c = t.Civil();
  char buf[48];
  int n = 0;
  if (t.HasDate() && (withDate || unit == TimeUnit::kDay)) {
    n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
    if (unit == TimeUnit::kDay) return std::string(buf, static_cast<size_t>(n));
    buf[n++] = ' ';
  }
  const size_t room = sizeof buf - static_cast<size_t>(n);
  if (unit == TimeUnit::kMillisecond)
    n += std::snprintf(buf + n, room, "%02d:%02d:%02d.%03d", c.hour, c.minute, c.second, c.micro / 1000);
  else if (unit == TimeUnit::kSecond)
    n += std::snprintf(buf + n, room, "%02d:%02d:%02d", c.hour, c.minute, c.second);
  else
    n += std::snprintf(buf + n, room, "%02d:%02d", c.hour, c.minute);
  return std::string(buf, static_cast<size_t>(n));
}

std::vector<TimeLabel> LayoutTimeLabels(const std::vector<TimeGridLine>& lines, const TimeOfTick& timeOf,
                                        const TextWidth& width, int stripWidth) {
  std::vector<TickTime> times;
  for (const TimeGridLine& l : lines) times.push_back(timeOf(l.tick));
  const bool timed = std::any_of(times.begin(), times.end(), [](const TickTime& t) { return t.Known(); });
  std::vector<TickTime> timedOnly;
  std::copy_if(times.begin(), times.end(), std::back_inserter(timedOnly), [](const TickTime& t) { return t.Known(); });
  const int64_t lineStep = SmallestStep(timedOnly);
  const int gap = width("0");
  const int64_t spacing = lines.size() > 1 ? std::max(lines[1].x - lines[0].x, 1) : stripWidth;

  for (int64_t n = 1;; n = NextEvery(n)) {
    std::vector<TimeLabel> labels;
    std::vector<TickTime> picked;
    for (size_t i = 0; i < lines.size(); ++i) {
      if ((lines[i].tick / 2) % n != 0 || (timed && !times[i].Known())) continue;
      labels.push_back(TimeLabel{lines[i].x, lines[i].tick, {}, 0, 0});
      picked.push_back(times[i]);
    }
    // The texts depend on the labels around them (the step, where the date changes): leave
    // out the labels that do not fit on the strip until all that are left do.
    for (size_t fitted = 0; fitted != labels.size();) {
      fitted = labels.size();
      // One label alone stands for n lines' step.
      const int64_t step = picked.size() > 1 ? SmallestStep(picked) : lineStep * n;
      const std::vector<std::string> texts = timed ? TimeTexts(picked, step) : std::vector<std::string>{};
      size_t kept = 0;
      for (size_t i = 0; i < labels.size(); ++i) {
        TimeLabel l = labels[i];
        l.text = timed ? texts[i] : std::to_string(l.tick + 1);
        l.width = width(l.text);
        l.left = l.x - l.width / 2;
        if (l.left < 0 || l.left + l.width > stripWidth) continue;
        picked[kept] = picked[i];
        labels[kept++] = l;
      }
      labels.resize(kept);
      picked.resize(kept);
    }
    bool apart = true;
    for (size_t i = 1; i < labels.size(); ++i)
      if (labels[i].left - (labels[i - 1].left + labels[i - 1].width) < gap) apart = false;
    // Past a strip's width between labels at most one is left.
    if (apart || n * spacing > stripWidth) return labels;
  }
}

}  // namespace kavrin::host
