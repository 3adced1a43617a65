#include "Drilling/app/context.h"

#include <cstdarg>
#include <string>

#include "common/file_keys.h"
#include "common/sjis.h"

namespace drilling {

void Context::Trace(const char* format, ...) {
  if (!traceOut) return;
  va_list ap;
  va_start(ap, format);
  std::vfprintf(traceOut, format, ap);
  va_end(ap);
  std::fflush(traceOut);
}

void SetProgramFolder(Context& ctx, const std::filesystem::path& folder) {
  ctx.programFolder = folder;
  ctx.configPath = folder / filekeys::config::kFileName;
  ctx.messageWindowConfigPath = folder / filekeys::relaypane::kFileName;
}

}  // namespace drilling
