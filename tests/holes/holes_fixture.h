// A drilling context over a temporary program folder with the hole types,
// the three dimension tables and a job file, and helpers to fill and read
// the position rows of a hole definition dialog.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Drilling/job/hole_controls.h"
#include "common/form.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "support/app_fixture.h"

namespace holestest {

class HolesFixture : public testsupport::AppFixture {
 protected:
  HolesFixture() {
    WriteConfig("[HoleType]\nHoleType0=ドリル\nHoleType1=M10タップ\nHoleType2=ザグリ\nHoleType3=リーマ\n"
                "HoleType4=センタ穴\n");
    WriteText(folder / "Zaguri.tbl", "6 6.6 11 -6.5\n8 9 14 -8.6\n0 0 0 0\n");
    WriteText(folder / "mTapN.tbl", "8 1.25 6.8 0 0 0\n10 1.5 8.5 -1 -15 -18\n");
    WriteText(folder / "Reamer.tbl", "10 0.3 9.7 -5.3 -15 -20\n");
    common::ForgetCachedProfiles();
  }

  // A file from UTF-8 text, "\n" written as CR LF, in code page 932.
  static void WriteText(const std::filesystem::path& path, const std::string& utf8) {
    std::string bytes;
    for (char c : common::Utf8ToCp932(utf8)) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    testsupport::WriteBytes(path, bytes);
  }
  // A job file that becomes the current job.
  void MakeJob(const std::string& utf8) {
    ctx.currentJobPath = folder / "DB" / "job.ini";
    std::filesystem::create_directories(ctx.currentJobPath.parent_path());
    WriteText(ctx.currentJobPath, utf8);
  }
  std::string JobBytes() const { return testsupport::ReadBytes(ctx.currentJobPath); }

  // Rows as "X/Y" texts, one per row 1-20 ("" for an empty pair).
  static void SetRows(common::Form& hole, const std::vector<std::string>& rows) {
    for (int row = 1; row <= drilling::kHoleRows; ++row) {
      std::string pair = row <= static_cast<int>(rows.size()) ? rows[row - 1] : "/";
      if (pair.empty()) pair = "/";
      std::size_t slash = pair.find('/');
      hole.SetText(drilling::kHoleX1Edit + row - 1, pair.substr(0, slash));
      hole.SetText(drilling::kHoleY1Edit + row - 1, pair.substr(slash + 1));
    }
  }
  // Rows 1-20 as "X/Y", trailing empty rows left out.
  static std::vector<std::string> Rows(const common::Form& hole) {
    std::vector<std::string> rows;
    for (int row = 1; row <= drilling::kHoleRows; ++row)
      rows.push_back(hole.Text(drilling::kHoleX1Edit + row - 1, 64) + "/" + hole.Text(drilling::kHoleY1Edit + row - 1, 64));
    while (!rows.empty() && rows.back() == "/") rows.pop_back();
    return rows;
  }
  std::vector<std::string> ErrorBoxes() const {
    std::vector<std::string> texts;
    for (const auto& b : ui.boxes)
      if (b.icon == common::BoxIcon::Error) texts.push_back(b.text);
    return texts;
  }
};

}  // namespace holestest
