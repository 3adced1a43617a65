// The message window program from its start to its end.
#pragma once

#include <QApplication>

namespace relaypane {

// Start-up: settings of the program folder, the "ver" / "/v" request, the
// single-instance test (a second start wakes the first and ends), the
// window and its socket, the event loop. The exit code.
int RunRelaypane(QApplication& app);

}  // namespace relaypane
