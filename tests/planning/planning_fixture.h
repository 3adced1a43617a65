// A drilling context over a temporary program folder with a job whose
// material is set, and helpers to write tables into it.
#pragma once

#include <string>

#include "Drilling/app/context.h"
#include "common/profile.h"
#include "support/app_fixture.h"

namespace testsupport {

class PlanningFixture : public AppFixture {
 protected:
  PlanningFixture() {
    ctx.currentJobPath = folder / "job.ini";
    SetMaterial("S45C");
    WriteConfig("[HOLE]\nCDRILLDIAM=3.\n[Drilling]\nToolTable=MCTOOL.ini\n");
    traceFile_ = std::tmpfile();
    ctx.traceOut = traceFile_;
  }
  ~PlanningFixture() override {
    if (traceFile_) std::fclose(traceFile_);
  }

  void SetMaterial(const std::string& material) {
    common::WriteProfileText("Drilling", "材質", material, ctx.currentJobPath);
  }
  // A table file in the program folder; "\n" becomes CR LF.
  void WriteTable(const std::string& name, const std::string& text) {
    std::string bytes;
    for (char c : text) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    WriteBytes(folder / name, bytes);
  }
  // Everything traced so far.
  std::string Trace() const {
    std::rewind(traceFile_);
    std::string s;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, traceFile_)) > 0) s.append(buffer, n);
    std::fseek(traceFile_, 0, SEEK_END);  // later traces append
    return s;
  }
  std::string LastLine() const { return lines.empty() ? std::string() : lines.back(); }
  std::string LastBox() const { return ui.boxes.empty() ? std::string() : ui.boxes.back().text; }

 private:
  std::FILE* traceFile_ = nullptr;
};

}  // namespace testsupport
