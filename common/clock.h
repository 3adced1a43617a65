// Local time and waiting, behind a seam so tests run at any time of day and
// never sleep for real.
#pragma once

namespace common {

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  virtual void SleepMs(int waitMs) = 0;
};

// The machine's local clock and a real sleep.
class SystemClock : public Clock {
 public:
  LocalTime Now() const override;
  void SleepMs(int waitMs) override;
};

// A clock for tests: a fixed time; sleeping only adds up the waits.
class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalTime t = {2021, 5, 9, 14, 23, 5}) : time(t) {}
  LocalTime Now() const override { return time; }
  void SleepMs(int waitMs) override { sleptMs += waitMs; }
  LocalTime time;
  long long sleptMs = 0;
};

}  // namespace common
