// The planning data shipped in dist/ serves the hole sizes it offers and the
// sample jobs: every size has its conditions in every material, and every
// tool the plans need sits in the magazine.
#include <gtest/gtest.h>

#include <set>

#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/planning/condition_tables.h"
#include "Drilling/planning/dimension_tables.h"
#include "Drilling/planning/number_table.h"
#include "Drilling/planning/tool_table.h"
#include "common/memory_form.h"
#include "common/profile.h"
#include "common/text.h"
#include "planning/planning_fixture.h"

namespace drilling {
namespace {

const std::filesystem::path kDist = std::filesystem::path(DRILLING_SOURCE_DIR) / "dist";

std::vector<std::vector<double>> TableRows(const char* file, int width) {
  std::string bytes;
  EXPECT_EQ(LoadTableFile(kDist / file, bytes), TableLoad::Ok) << file;
  NumberRowReader reader(bytes, width, 0x38);
  std::vector<std::vector<double>> rows;
  double row[kMaxTableRowWidth];
  RowRead read;
  while ((read = reader.Next(row)) == RowRead::Row && row[0] != 0) rows.emplace_back(row, row + width);
  EXPECT_NE(read, RowRead::Bad) << file << ": " << reader.Problem();
  return rows;
}

class ShippedData : public testsupport::PlanningFixture {
 protected:
  ShippedData() {
    SetProgramFolder(ctx, kDist);
    for (int i = 0;; ++i) {
      std::string m = common::ReadProfileText("WorkType", "WorkType" + std::to_string(i), "", 8, ctx.configPath);
      if (m.empty()) break;
      materials.push_back(m);
    }
  }

  // What one hole group needs: drills, taps, end mills, reamers by diameter.
  struct Needs {
    std::set<double> drills, taps, endMills, reamers;
  };
  void AddJobNeeds(const std::filesystem::path& job, Needs& needs) {
    for (int g = 1; g <= 4; ++g) {
      std::string section = "Hole" + std::to_string(g);
      std::string type = common::ReadProfileText(section, "種類", "", 32, job);
      auto value = [&](const char* key) {
        return common::ParseLeadingDouble(common::ReadProfileText(section, key, "", 16, job));
      };
      if (type.find("ドリル") != std::string::npos) {
        needs.drills.insert(value("穴径"));
      } else if (type.find("タップ") != std::string::npos) {
        needs.drills.insert(value("下穴径"));
        needs.taps.insert(value("穴径"));
      } else if (type.find("ザグリ") != std::string::npos) {
        needs.drills.insert(value("穴径"));
        needs.endMills.insert(value("座穴径"));
      } else if (type.find("リーマ") != std::string::npos) {
        needs.drills.insert(value("下穴径"));
        needs.reamers.insert(value("穴径"));
      }
    }
  }

  std::vector<std::string> materials;
};

TEST_F(ShippedData, EverySizeOfTheDimensionTablesAndTheSampleJobsHasConditionsInEveryMaterial) {
  // The sample job: a drill of 8.5, an M10 tap on 8.5, an M8 counterbore of 14 on 9.
  Needs needs{{8.5, 9}, {10}, {14}, {}};
  for (const auto& row : TableRows("mTapN.tbl", 6)) {
    needs.taps.insert(row[0]);
    needs.drills.insert(row[2]);
  }
  for (const auto& row : TableRows("Reamer.tbl", 6)) {
    needs.reamers.insert(row[0]);
    needs.drills.insert(row[2]);
  }
  for (const auto& row : TableRows("Zaguri.tbl", 4)) {
    needs.drills.insert(row[1]);
    needs.endMills.insert(row[2]);
  }
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(kDist / "DB", ec))
    if (entry.path().extension() == ".ini") AddJobNeeds(entry.path(), needs);
  EXPECT_EQ(needs.taps.size(), 11u);
  EXPECT_EQ(needs.reamers.size(), 10u);

  ASSERT_EQ(materials.size(), 5u);
  for (const std::string& material : materials) {
    SetMaterial(material);
    CuttingConditions c;
    ASSERT_EQ(ReadCentreDrillConditions(ctx, nullptr, c), 1) << material;
    EXPECT_LT(c.Extra, 0) << material;  // a Z below the surface
    auto check = [&](const char* what, double d, auto read) {
      CuttingConditions r;
      r.Diameter = d;
      EXPECT_EQ(read(r), 1) << material << " " << what << " " << d;
      EXPECT_GT(r.Spindle, 0) << material << " " << what << " " << d;
      EXPECT_LE(r.Spindle, 8000) << material << " " << what << " " << d;
      EXPECT_GT(r.Feed, 0) << material << " " << what << " " << d;
      return r;
    };
    for (double d : needs.drills) {
      check("drill", d, [&](CuttingConditions& r) { return ReadDrillConditions(ctx, nullptr, r); });
      check("chamfer", d, [&](CuttingConditions& r) { return ReadChamferConditions(ctx, nullptr, r); });
    }
    for (const auto& row : TableRows("mTapN.tbl", 6)) {
      CuttingConditions r = check("tap", row[0], [&](CuttingConditions& x) {
        return ReadConditionTable(ctx, nullptr, kTapTable, x);
      });
      EXPECT_EQ(r.Feed, row[1] * r.Spindle) << material << " M" << row[0];  // feed = pitch x speed
      EXPECT_EQ(r.Feed, static_cast<int>(r.Feed)) << material << " M" << row[0];
    }
    for (double d : needs.taps)
      check("tap", d, [&](CuttingConditions& r) { return ReadConditionTable(ctx, nullptr, kTapTable, r); });
    for (double d : needs.endMills)
      check("end mill", d,
            [&](CuttingConditions& r) { return ReadConditionTable(ctx, nullptr, kCounterboreTable, r); });
    for (double d : needs.reamers)
      check("reamer", d, [&](CuttingConditions& r) { return ReadConditionTable(ctx, nullptr, kReamerTable, r); });
  }
  EXPECT_TRUE(ui.boxes.empty()) << LastBox();

  // Every tool of those plans sits in the magazine under a name of the tool name list.
  std::filesystem::path table;
  ASSERT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::Planning, table), 0);
  std::vector<std::string> names = ReadToolNameList(ctx);
  std::set<std::string> offered(names.begin(), names.end());
  auto pockets = ReadMagazinePockets(table);
  EXPECT_GE(pockets.size(), 24u);
  for (const MagazinePocket& p : pockets) EXPECT_TRUE(offered.count(p.name)) << p.name;
  auto inMagazine = [&](const char* name, double d) {
    MagazineTool tool;
    tool.Diameter = d;
    EXPECT_EQ(FindMagazineTool(name, tool, table), 1) << name << " " << d;
  };
  inMagazine("センタードリル", 3);
  inMagazine("面取りカッター", 0);
  for (double d : needs.drills) inMagazine("ドリル", d);
  for (double d : needs.taps) inMagazine("タップ（並目）", d);
  for (double d : needs.endMills) inMagazine("エンドミル", d);
  for (double d : needs.reamers) inMagazine("リーマ", d);
}

TEST_F(ShippedData, DimensionTablesGiveTheStandardSizes) {
  common::MemoryForm dialog(HoleDialogTemplate());
  dialog.SetText(kHoleDiameterEdit, "9");  // M8 socket head cap screw
  EXPECT_EQ(LookUpCounterbore(ctx, dialog), 0);
  EXPECT_EQ(dialog.FullText(kCboreDiameterEdit), "14");
  EXPECT_EQ(dialog.FullText(kCboreDepthEdit), "-8.6");
  dialog.SetText(kHoleDiameterEdit, "10");
  EXPECT_EQ(LookUpTapSizes(ctx, dialog), 0);
  EXPECT_EQ(dialog.FullText(kPilotDiameterEdit), "8.5");
  EXPECT_EQ(dialog.FullText(kHoleDepthEdit), "-15");
  EXPECT_EQ(LookUpReamerSizes(ctx, dialog), 0);
  EXPECT_EQ(dialog.FullText(kPilotDiameterEdit), "9.7");
  EXPECT_TRUE(ui.boxes.empty()) << LastBox();
}

}  // namespace
}  // namespace drilling
