// The integer results of the parts' operations, named where a caller
// compares them: 0 when an operation did what it was asked, a negative value
// after a failure or refusal (reported, or left in the message buffer for the
// caller to report), 1 when a look-up found what it looked for, -1 when it
// found nothing.
#pragma once

namespace drilling {

inline constexpr int kDone = 0;
inline constexpr int kFailed = -1;
inline constexpr int kFound = 1;
inline constexpr int kNotFound = -1;

}  // namespace drilling
