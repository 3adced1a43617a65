#include "common/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace common {

LocalTime SystemClock::Now() const {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SystemClock::SleepMs(int waitMs) {
  if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
}

}  // namespace common
