// A job with the tables, the tool table and Drilling.ini that process
// generation reads, and a process grid over an in-memory form.
#pragma once

#include <map>
#include <string>

#include "Drilling/planning/process_dialog.h"
#include "Drilling/planning/process_grid.h"
#include "common/memory_form.h"
#include "common/text.h"
#include "planning/planning_fixture.h"

namespace testsupport {

class ProcessFixture : public PlanningFixture {
 protected:
  ProcessFixture() {
    WriteConfig(kConfig);
    WriteTable("cdrillS45C.tbl", "3 1590 72 -1.5\n0 0 0 0\n");
    WriteTable("drillS45C.tbl", "6.8 1200 120 2.5\n8 800 90 3\n8.5 740 88.9 3\n9 700 87 3\n0 0 0 0\n");
    WriteTable("MentoriS45C.tbl", "0.5 790 43\n4 470 25\n8 340 18\n0 0 0\n");
    WriteTable("mTapNS45C.tbl", "8 320 400\n10 260 390\n0 0 0\n");
    WriteTable("ZaguriS45C.tbl", "14 450 23\n0 0 0\n");
    WriteTable("ReamerS45C.tbl", "8 200 60\n0 0 0\n");
    WriteToolTable(
        "[MAGAZINE1]\nNAME=センタードリル\nDIAM=3\n"
        "[MAGAZINE2]\nNAME=面取りカッター\nDIAM=\nH=40\n"
        "[MAGAZINE3]\nNAME=ドリル\nDIAM=8.5\nH=23\n"
        "[MAGAZINE4]\nNAME=ドリル\nDIAM=8.5\n"
        "[MAGAZINE5]\nNAME=ドリル\nDIAM=7.7\n"
        "[MAGAZINE6]\nNAME=タップ（並目）\nDIAM=10\n"
        "[MAGAZINE7]\nNAME=エンドミル\nDIAM=14\nD=57\n"
        "[MAGAZINE8]\nNAME=リーマ\nDIAM=8\n"
        "[MAGAZINE9]\nNAME=ドリル\nDIAM=9\n"
        "[MAGAZINE10]\nNAME=ドリル\nDIAM=6.8\n");
  }

  static constexpr const char* kConfig =
      "[Drilling]\nToolTable=MCTOOL.ini\n"
      "[TOOLLIST]\nTOOLJP0=センタードリル\nTOOLJP1=ドリル\nTOOLJP2=面取りカッター\nTOOLJP3=タップ（並目）\n"
      "TOOLJP4=エンドミル\nTOOLJP5=リーマ\n"
      "[HOLE]\nCDRILLDIAM=3.\n"
      "[Cycle]\ncdrill=81\ndrill=83\nmentori=82\nmtap=84\nzaguri=82\nreamer=82\n"
      "[Rcode]\ncdrill=2\ndrill=2\nmentori=2\nmtap=5\nzaguri=2\nreamer=2.5\n";

  // Drilling.ini replaced (the profile cache forgets the old one).
  void Reconfigure(const std::string& utf8) {
    WriteConfig(utf8);
    common::ForgetCachedProfiles();
  }

  void WriteToolTable(const std::string& utf8) {
    std::string bytes;
    for (char c : common::Utf8ToCp932(utf8)) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    WriteBytes(folder / "MCTOOL.ini", bytes);
    common::ForgetCachedProfiles();
  }

  // Writes the keys of hole group `group` into the job (an empty value is
  // written as an empty key).
  void SetHole(int group, const std::map<std::string, std::string>& keys) {
    std::string section = common::FormatText("Hole%d", group);
    for (const auto& [key, value] : keys) common::WriteProfileText(section, key, value, ctx.currentJobPath);
  }
  void DrillGroup(int group, bool chamfer = true) {
    SetHole(group, {{"種類", "ドリル"}, {"穴径", "8.5"}, {"深さ", "-25"}});
    if (chamfer) SetHole(group, {{"面取深", "-4.75"}});
  }
  void TapGroup(int group) {
    SetHole(group, {{"種類", "タップ"}, {"穴径", "10"}, {"深さ", "-15"}, {"面取深", "-5.5"}, {"下穴径", "8.5"},
                    {"下穴深", "-22.5"}});
  }

  // A process dialog grid with its tool name boxes filled (no procedure).
  common::MemoryForm& Grid() {
    if (!grid_) {
      grid_ = std::make_unique<common::MemoryForm>(drilling::ProcessDialogTemplate());
    }
    return *grid_;
  }

  // The cells of a row joined by '|'.
  static std::string Row(const common::Form& form, int row) {
    std::string s;
    for (int c = 0; c < drilling::kProcessColumns; ++c) {
      if (c) s += '|';
      s += form.Text(drilling::ProcessCellId(c, row), 64);
    }
    return s;
  }
  // Rows 1..15 up to the last one holding anything.
  static std::vector<std::string> Rows(const common::Form& form) {
    std::vector<std::string> rows;
    for (int r = 1; r <= drilling::kProcessRows; ++r) rows.push_back(Row(form, r));
    while (!rows.empty() && rows.back() == "||||||||||||") rows.pop_back();
    return rows;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& b : ui.boxes) texts.push_back(b.text);
    return texts;
  }

 private:
  std::unique_ptr<common::MemoryForm> grid_;
};

}  // namespace testsupport
