// The build record of the drilling program: fixed at build time, shown by
// the version box, the banner and the information dialog, and the year of
// the rights notice.
#pragma once

namespace drilling {

// Build record, fixed at build time.
constexpr int kBuildYear = 2021;
constexpr int kBuildMonth = 5;
constexpr int kBuildDay = 9;
constexpr int kVersionMajor = 0;
constexpr int kVersionMinor = 6;
// The first letter of "Release".
constexpr char kReleaseLetter = 'R';
// month x 100 + day + year.
constexpr int kBuildNumber = kBuildMonth * 100 + kBuildDay + kBuildYear;

}  // namespace drilling
