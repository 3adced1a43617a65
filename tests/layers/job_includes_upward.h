// Never compiled: a file of the job library as the include order check sees
// it (tests/CMakeLists.txt). The check must name the last two includes, which
// reach above the job library, and accept the first two.
#pragma once

#include "Drilling/app/context.h"
#include "Drilling/job/job_file.h"
#include "Drilling/app/main_window.h"
#include "common/qt/qt_form.h"
