#include "Drilling/planning/dimension_tables.h"

#include <gtest/gtest.h>

#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "common/memory_form.h"
#include "planning/planning_fixture.h"

namespace drilling {
namespace {

class DimensionTables : public testsupport::PlanningFixture {
 protected:
  DimensionTables() : dialog(HoleDialogTemplate()) {
    WriteTable("Zaguri.tbl", "6 6.6 11 -6.5\n8 9 14 -8.6\n0 0 0 0\n");
    WriteTable("mTapN.tbl", "8 1.25 6.8 0 0 0\n10 1.5 8.5 -1 -15 -18\n12 0 10.2 -1 -18 -22\n14 2 12 -1 -21 -27\n");
    WriteTable("Reamer.tbl", "10 0.3 9.7 -5.3 -15 -20\n0 0 0 0 0 0\n");
  }
  std::string Field(int id) { return dialog.FullText(id); }

  common::MemoryForm dialog;
};

TEST_F(DimensionTables, CounterboreRowIsFoundByTheHoleDiameterAsANumber) {
  dialog.SetText(kHoleDiameterEdit, "6.60");
  EXPECT_EQ(LookUpCounterbore(ctx, dialog), 0);
  EXPECT_EQ(Field(kCboreDiameterEdit), "11");
  EXPECT_EQ(Field(kCboreDepthEdit), "-6.5");
  EXPECT_EQ(lines.front(), "ザグリ・テーブル " + (folder / "Zaguri.tbl").string());
  EXPECT_TRUE(ui.boxes.empty());

  dialog.SetText(kHoleDiameterEdit, "6.5");  // no nearest row
  dialog.SetText(kCboreDiameterEdit, "typed");
  EXPECT_EQ(LookUpCounterbore(ctx, dialog), 1);
  EXPECT_EQ(Field(kCboreDiameterEdit), "typed");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "ザグリ（六角穴）・テーブルに同じデータはありません");
  EXPECT_EQ(ui.boxes[0].icon, common::BoxIcon::Information);
}

TEST_F(DimensionTables, TapDepthsAreFilledOnlyWhenTheTableGivesThemNegative) {
  dialog.SetText(kHoleDiameterEdit, "8");
  dialog.SetText(kHoleDepthEdit, "-10");
  dialog.SetText(kChamferDepthEdit, "-0.5");
  EXPECT_EQ(LookUpTapSizes(ctx, dialog), 0);
  EXPECT_EQ(Field(kPilotDiameterEdit), "6.8");
  EXPECT_EQ(Field(kHoleDepthEdit), "-10");
  EXPECT_EQ(Field(kChamferDepthEdit), "-0.5");
  EXPECT_EQ(Field(kPilotDepthEdit), "");

  dialog.SetText(kHoleDiameterEdit, "10.");
  EXPECT_EQ(LookUpTapSizes(ctx, dialog), 0);
  EXPECT_EQ(Field(kPilotDiameterEdit), "8.5");
  EXPECT_EQ(Field(kChamferDepthEdit), "-1");
  EXPECT_EQ(Field(kHoleDepthEdit), "-15");
  EXPECT_EQ(Field(kPilotDepthEdit), "-18");
  EXPECT_EQ(lines.back(), "タップ・テーブル " + (folder / "mTapN.tbl").string());
}

TEST_F(DimensionTables, ASecondNumberOfZeroEndsTheTable) {
  dialog.SetText(kHoleDiameterEdit, "14");
  EXPECT_EQ(LookUpTapSizes(ctx, dialog), 1);
  EXPECT_EQ(LastBox(), "タップ（並目）・テーブルに同じデータはありません");
  EXPECT_EQ(Field(kPilotDiameterEdit), "");
}

TEST_F(DimensionTables, ReamerLookUpAndItsNoMatchInformation) {
  dialog.SetText(kHoleDiameterEdit, "10");
  EXPECT_EQ(LookUpReamerSizes(ctx, dialog), 0);
  EXPECT_EQ(Field(kPilotDiameterEdit), "9.7");
  EXPECT_EQ(Field(kPilotDepthEdit), "-20");
  dialog.SetText(kHoleDiameterEdit, "11");
  EXPECT_EQ(LookUpReamerSizes(ctx, dialog), 1);
  EXPECT_EQ(LastBox(), "リーマ・テーブルに同じデータはありません");
}

TEST_F(DimensionTables, FailuresAreErrorsAndChangeNoField) {
  EXPECT_LT(LookUpTapSizes(ctx, dialog), 0);
  EXPECT_EQ(LastBox(), "穴径が取得できません。");
  EXPECT_EQ(ui.boxes.back().icon, common::BoxIcon::Error);

  dialog.SetText(kHoleDiameterEdit, "10");
  std::filesystem::remove(folder / "Reamer.tbl");
  EXPECT_LT(LookUpReamerSizes(ctx, dialog), 0);
  EXPECT_EQ(LastBox(), "リーマ・テーブルがありません。");

  std::filesystem::create_directory(folder / "Reamer.tbl");
  EXPECT_LT(LookUpReamerSizes(ctx, dialog), 0);
  EXPECT_EQ(LastBox(), "リーマ・テーブル " + (folder / "Reamer.tbl").string() + " オープン・エラー");

  WriteTable("mTapN.tbl", "8 1.25 6.8 0 0 0\nM10 1.5 8.5 -1 -15 -18\n10 1.5 8.5 -1 -15 -18\n");
  EXPECT_LT(LookUpTapSizes(ctx, dialog), 0);
  EXPECT_EQ(LastBox(), "エラー：タップ（並目）・テーブル " + (folder / "mTapN.tbl").string() +
                           " の 2 行目に数値でないデータがあります。");
  WriteTable("Zaguri.tbl", "6 6.6 11 -6.5\n8 9 14\n");
  dialog.SetText(kHoleDiameterEdit, "9");
  EXPECT_LT(LookUpCounterbore(ctx, dialog), 0);
  EXPECT_NE(LastBox().find("最後の行の数値が足りません"), std::string::npos);
  EXPECT_EQ(Field(kPilotDiameterEdit), "");
  EXPECT_EQ(Field(kCboreDiameterEdit), "");
}

TEST_F(DimensionTables, HoleTypeChoosesTheLookUpInTheDialogsOrder) {
  dialog.SetText(kHoleDiameterEdit, "9");
  EXPECT_EQ(LookUpSizesForHoleType(ctx, dialog, "ドリル"), 2);
  EXPECT_EQ(LookUpSizesForHoleType(ctx, dialog, "穴"), 2);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(LookUpSizesForHoleType(ctx, dialog, "ザグリ"), 0);
  EXPECT_EQ(Field(kCboreDiameterEdit), "14");
  dialog.SetText(kHoleDiameterEdit, "10");
  EXPECT_EQ(LookUpSizesForHoleType(ctx, dialog, "タップ（並目）"), 0);
  EXPECT_EQ(Field(kPilotDiameterEdit), "8.5");
}

}  // namespace
}  // namespace drilling
