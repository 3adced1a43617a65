// A started drilling context over a temporary program folder with a small
// Drilling.ini, and helpers to read job files back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "common/memory_form.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "support/app_fixture.h"

namespace jobtest {

constexpr const char* kConfig =
    "[UserStartup]\nWorkType=S45C\nMachine=FANUC 0i-MF\nCoordSystem=G54\n"
    "[WorkType]\nWorkType0=S45C\nWorkType1=SS400\nWorkType2=A5052\n"
    "[Machine]\nMachine0=FANUC 0i-MF\nMachine1=OKUMA OSP-P300MA\n"
    "[CoordSystem]\nCoordSystem0=G54\nCoordSystem1=G55\n"
    "[work]\n原点=0\n"
    "[NCFILE]\nFANUC=nc\nOSP=min\nMELDAS=.nc1\n"
    "[HoleType]\nHoleType0=ドリル\nHoleType1=タップ\nHoleType2=ザグリ\nHoleType3=リーマ\n";

class JobFixture : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    WriteConfig(kConfig);
    ASSERT_EQ(drilling::StartUp(ctx, folder.Path()), 0);
    common::ForgetCachedProfiles();
  }

  // The value of a key of the current job file (UTF-8), or "<absent>".
  std::string Stored(const std::string& section, const std::string& key) const {
    return common::ReadProfileText(section, key, "<absent>", 1024, ctx.currentJobPath);
  }
  // The job file as UTF-8 text (CR LF kept).
  std::string JobText() const { return common::Cp932ToUtf8(testsupport::ReadBytes(ctx.currentJobPath)); }
  // An existing job file from UTF-8 text with "\n" line ends; it becomes the current job.
  void MakeJob(const std::string& name, const std::string& utf8) {
    std::string bytes;
    for (char c : common::Utf8ToCp932(utf8)) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    ctx.currentJobPath = ctx.JobFolder() / name;
    testsupport::WriteBytes(ctx.currentJobPath, bytes);
  }
  // Lines reported with kind -1 show an error box; this is their text.
  std::vector<std::string> ErrorBoxes() const {
    std::vector<std::string> texts;
    for (const auto& b : ui.boxes)
      if (b.icon == common::BoxIcon::Error) texts.push_back(b.text);
    return texts;
  }
};

}  // namespace jobtest
