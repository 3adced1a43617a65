#include "Drilling/holes/hole_dialog.h"

#include <gtest/gtest.h>

#include <map>

#include "Drilling/holes/hole_dialog_template.h"
#include "common/memory_form.h"
#include "holes/holes_fixture.h"

namespace drilling {
namespace {

class HoleDialogTest : public holestest::HolesFixture {
 protected:
  HoleDialogTest() : hole(HoleDialogTemplate(), HoleDialogProc(ctx)) {
    MakeJob("[Drilling]\ntitle=job\n[Hole1]\n種類=\n穴径=\nX1=\nY1=\n");
  }
  std::string Field(int id) const { return hole.FullText(id); }
  // The enabled state of 1103-1108 as "1" and "0".
  std::string States() const {
    std::string s;
    for (int id = kChamferDepthEdit; id <= kCboreDepthEdit; ++id) s += hole.IsEnabled(id) ? '1' : '0';
    return s;
  }
  int TypeIndex(const std::string& type) const { return hole.FindExact(kHoleTypeCombo, type); }

  common::MemoryForm hole;
};

TEST_F(HoleDialogTest, PickingATypeSetsTheFieldStatesAndFillsTheSizesOfItsKind) {
  struct Case {
    const char* type;
    const char* diameter;
    const char* states;  // 1103 chamfer, 1104 pilot, 1105 pilot depth, 1106 pitch, 1107/1108 counterbore
    std::map<int, std::string> sizes;
    const char* tableLine;  // the look-up's first line, or "" for none
  };
  const Case cases[] = {
      {"ドリル", "10", "100000", {{kPilotDiameterEdit, ""}, {kCboreDiameterEdit, ""}}, ""},
      {"ザグリ", "9", "000011", {{kCboreDiameterEdit, "14"}, {kCboreDepthEdit, "-8.6"}}, "ザグリ・テーブル "},
      {"M10タップ", "10", "111100",
       {{kPilotDiameterEdit, "8.5"}, {kChamferDepthEdit, "-1"}, {kHoleDepthEdit, "-15"}, {kPilotDepthEdit, "-18"}},
       "タップ・テーブル "},
      {"リーマ", "10", "111100",
       {{kPilotDiameterEdit, "9.7"}, {kChamferDepthEdit, "-5.3"}, {kHoleDepthEdit, "-15"}, {kPilotDepthEdit, "-20"}},
       "リーマ・テーブル "},
      {"M10タップ", "", "111100", {{kPilotDiameterEdit, ""}}, ""},  // no diameter: no look-up, no error
      {"センタ穴", "10", "111111", {{kPilotDiameterEdit, ""}}, ""},   // no kind: nothing changes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " / " + c.diameter);
    common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
    dialog.Init();
    lines.clear();
    ui.boxes.clear();
    dialog.SetText(kHoleDiameterEdit, c.diameter);
    dialog.Choose(kHoleTypeCombo, dialog.FindExact(kHoleTypeCombo, c.type));
    EXPECT_EQ(dialog.FullText(kHoleTypeCombo), c.type);
    std::string states;
    for (int id = kChamferDepthEdit; id <= kCboreDepthEdit; ++id) states += dialog.IsEnabled(id) ? '1' : '0';
    EXPECT_EQ(states, c.states);
    for (const auto& [id, text] : c.sizes) EXPECT_EQ(dialog.FullText(id), text) << id;
    if (*c.tableLine)
      EXPECT_EQ(lines.at(0).rfind(c.tableLine, 0), 0u) << lines.at(0);
    else
      EXPECT_TRUE(lines.empty()) << lines.front();
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
  }
}

TEST_F(HoleDialogTest, ChamferComesBackAfterACounterboreAndATypeWithoutKindChangesNothing) {
  hole.Init();
  for (const char* type : {"ドリル", "M10タップ", "リーマ"}) {
    hole.Choose(kHoleTypeCombo, TypeIndex("ザグリ"));
    EXPECT_EQ(States(), "000011");
    hole.Choose(kHoleTypeCombo, TypeIndex(type));
    EXPECT_EQ(States()[0], '1') << type;
  }
  hole.Choose(kHoleTypeCombo, TypeIndex("ザグリ"));
  hole.Choose(kHoleTypeCombo, TypeIndex("センタ穴"));
  EXPECT_EQ(States(), "000011");
}

TEST_F(HoleDialogTest, LeavingTheDiameterEmptiesTheDerivedSizesThenLooksUp) {
  struct Case {
    const char* type;
    const char* diameter;
    std::map<int, std::string> after;
    const char* error;  // "" for none
  };
  const Case cases[] = {
      // A drill looks nothing up: the derived fields stay empty, no report.
      {"ドリル", "10", {{kChamferDepthEdit, ""}, {kPilotDiameterEdit, ""}, {kCboreDepthEdit, ""}}, ""},
      {"ドリル", "", {{kChamferDepthEdit, ""}}, ""},
      {"ザグリ", "6.60", {{kCboreDiameterEdit, "11"}, {kCboreDepthEdit, "-6.5"}, {kChamferDepthEdit, ""}}, ""},
      {"M10タップ", "10", {{kPilotDiameterEdit, "8.5"}, {kCboreDiameterEdit, ""}, {kHoleDepthEdit, "-15"}}, ""},
      {"M10タップ", "", {{kPilotDiameterEdit, ""}, {kHoleDepthEdit, "25"}}, "穴径が取得できません。"},
      {"リーマ", "", {{kPilotDepthEdit, ""}}, "穴径が取得できません。"},
      // Not a number: refused by name, never looked up as its leading digits.
      {"M10タップ", "10mm", {{kPilotDiameterEdit, ""}}, "エラー：穴　径 [10mm] は数値ではありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " / " + c.diameter);
    common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
    dialog.Init();
    dialog.SetText(kHoleTypeCombo, c.type);
    for (int id : {kHoleDepthEdit, kChamferDepthEdit, kPilotDiameterEdit, kPilotDepthEdit, kPitchEdit,
                   kCboreDiameterEdit, kCboreDepthEdit})
      dialog.SetText(id, "25");
    ui.boxes.clear();
    dialog.Type(kHoleDiameterEdit, c.diameter);
    for (const auto& [id, text] : c.after) EXPECT_EQ(dialog.FullText(id), text) << id;
    EXPECT_EQ(dialog.FullText(kPitchEdit), "25") << "the pitch is not a derived size";
    if (*c.error) {
      ASSERT_EQ(ErrorBoxes().size(), 1u);
      EXPECT_EQ(ErrorBoxes()[0], c.error);
    } else {
      EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
    }
  }
  // Without a type nothing is emptied.
  common::MemoryForm untyped(HoleDialogTemplate(), HoleDialogProc(ctx));
  untyped.Init();
  untyped.SetText(kPilotDiameterEdit, "5");
  untyped.Type(kHoleDiameterEdit, "10");
  EXPECT_EQ(untyped.FullText(kPilotDiameterEdit), "5");
}

TEST_F(HoleDialogTest, ARowLabelDeletesItsRowAndTheRowsBelowMoveUpToTheFirstIncompleteOne) {
  struct Case {
    std::vector<std::string> before;
    int clicked;
    std::vector<std::string> after;
  };
  std::vector<std::string> full;
  for (int r = 1; r <= 20; ++r) full.push_back(std::to_string(r) + "/" + std::to_string(-r));
  std::vector<std::string> fullWithout20(full.begin(), full.end() - 1);
  std::vector<std::string> fullWithout1(full.begin() + 1, full.end());
  const Case cases[] = {
      {{"1/1", "2/2", "3/3", "4/4", "5/5"}, 2, {"1/1", "3/3", "4/4", "5/5"}},
      {{"1/1", "2/2", "3/3", "", "5/5"}, 1, {"2/2", "3/3", "/", "/", "5/5"}},  // stops at the empty row 4
      {{"1/1", "2/2", "3/", "4/4"}, 1, {"2/2", "/", "3/", "4/4"}},            // and at a row without Y
      {full, 20, fullWithout20},
      {full, 1, fullWithout1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clicked);
    common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
    dialog.Init();
    SetRows(dialog, c.before);
    dialog.Click(kHoleRow1Button + c.clicked - 1);
    EXPECT_EQ(Rows(dialog), c.after);
    EXPECT_FALSE(dialog.HasEnded());
  }
}

TEST_F(HoleDialogTest, OpeningLoadsTheGroupIntoAClearedDialogAndAppliesItsType) {
  MakeJob("[Hole2]\n種類=M10タップ\n穴径=10\n深さ=20\nX1=10.\nY1=20.\nX2=30.\nY2=40.\n");
  lines.clear();
  ctx.currentHoleGroup = 2;
  hole.SetText(kHoleX1Edit + 5, "stale");
  hole.SetText(kPitchEdit, "1.5");
  hole.Init();
  EXPECT_EQ(hole.Title(), "[2] 穴情報登録");
  ASSERT_EQ(hole.EntryCount(kHoleTypeCombo), 5);
  EXPECT_EQ(hole.EntryText(kHoleTypeCombo, 4), "センタ穴");
  EXPECT_EQ(Field(kHoleTypeCombo), "M10タップ");
  // Shown as stored: no look-up replaces what the group holds.
  EXPECT_EQ(Field(kPilotDiameterEdit), "") << "no tap look-up";
  EXPECT_EQ(Field(kHoleDepthEdit), "20");
  EXPECT_TRUE(lines.empty()) << lines.front();
  EXPECT_EQ(Rows(hole), (std::vector<std::string>{"10./20.", "30./40."}));
  EXPECT_EQ(Field(kPitchEdit), "1.5") << "clearing keeps the pitch";
  EXPECT_EQ(States(), "111100");
}

// Sizes stored by hand (a pilot depth of -20 where the table says -18) stay
// until the operator picks a type or changes the diameter.
TEST_F(HoleDialogTest, StoredSizesStayUntilTheTypeOrTheDiameterChanges) {
  const struct {
    const char* action;
    const char* pilotDepth;  // stored after the save
  } cases[] = {
      {"save untouched", "-20"},
      {"pass through the diameter", "-20"},
      {"change the diameter", "-18"},  // 10.0 is another text: looked up
      {"pick the type", "-18"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    MakeJob("[Hole1]\n種類=M10タップ\n穴径=10\n深さ=-15\n面取深=-1\n下穴径=8.5\n下穴深=-20\nX1=1.\nY1=2.\n");
    common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
    dialog.Init();
    const std::string action = c.action;
    if (action == "pass through the diameter") dialog.Type(kHoleDiameterEdit, "10");
    if (action == "change the diameter") dialog.Type(kHoleDiameterEdit, "10.0");
    if (action == "pick the type") dialog.Choose(kHoleTypeCombo, dialog.FindExact(kHoleTypeCombo, "M10タップ"));
    dialog.Click(kHoleCmdSave);
    ASSERT_TRUE(dialog.HasEnded());
    EXPECT_EQ(common::ReadProfileText("Hole1", "下穴深", "", 16, ctx.currentJobPath), c.pilotDepth);
  }
}

TEST_F(HoleDialogTest, CommandsOfTheMenu) {
  hole.Init();
  hole.Choose(kHoleTypeCombo, TypeIndex("ドリル"));
  hole.SetText(kHoleDiameterEdit, "8.5");
  SetRows(hole, {"15/15", "135/15"});

  for (int id : {int{kHoleCmdLoad}, 2 /* Escape */}) hole.Click(id);
  EXPECT_FALSE(hole.HasEnded()) << "load and Escape do nothing";
  EXPECT_EQ(Rows(hole).size(), 2u);

  hole.Click(kHoleCmdHelp);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "ヘルプファイルは作成中です。");
  EXPECT_EQ(ui.boxes[0].icon, common::BoxIcon::Information);

  hole.Click(kHoleCmdCircle);
  hole.Click(kHoleCmdMoveBase);
  EXPECT_EQ(ui.modalsRun, (std::vector<std::string>{"CALCIRCLECOORDINATEDLG", "COORDINATEMOVEDLG"}));

  // A failed save keeps the dialog open with everything typed.
  const std::filesystem::path job = ctx.currentJobPath;
  ctx.currentJobPath.clear();
  hole.Click(kHoleCmdSave);
  EXPECT_FALSE(hole.HasEnded());
  EXPECT_EQ(ErrorBoxes().back(), "エラー：定義ファイルが設定されてません。");
  EXPECT_EQ(Field(kHoleDiameterEdit), "8.5");

  ctx.currentJobPath = job;
  hole.Click(kHoleCmdSave);
  EXPECT_TRUE(hole.HasEnded());
  EXPECT_EQ(hole.Result(), 0);
  EXPECT_EQ(Field(kHoleDiameterEdit), "") << "closing clears the fields";
  EXPECT_EQ(common::ReadProfileText("Hole1", "X2", "", 16, job), "135.");
  EXPECT_EQ(common::ReadProfileText("Hole1", "穴径", "", 16, job), "8.5");
}

TEST_F(HoleDialogTest, CancelAndTheCloseBoxSaveNothing) {
  const std::string before = JobBytes();
  for (bool closeBox : {false, true}) {
    common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
    dialog.Init();
    dialog.SetText(kHoleDiameterEdit, "8.5");
    SetRows(dialog, {"1/2"});
    if (closeBox)
      dialog.Send(common::DialogEvent::Close);
    else
      dialog.Click(kHoleCmdCancel);
    EXPECT_TRUE(dialog.HasEnded());
    EXPECT_EQ(dialog.Result(), 0);
    EXPECT_EQ(dialog.FullText(kHoleX1Edit), "");
  }
  EXPECT_EQ(JobBytes(), before);
}

TEST_F(HoleDialogTest, ASaveThatWouldDropOrCorruptAValueIsRefusedAndTheDialogStaysOpen) {
  struct Case {
    std::vector<std::string> rows;
    std::map<int, std::string> sizes;
    const char* error;
  };
  const Case cases[] = {
      {{"1/1", "", "3/3"}, {}, "エラー：座標 [02] が空いているため、[03] 以降の座標を保存できません。"},
      {{"1/1", "2/", "3/3"}, {}, "エラー：座標 [02] の Ｙ座標 が入力されてません。"},
      {{"/1"}, {}, "エラー：座標 [01] の Ｘ座標 が入力されてません。"},
      {{"1/1", "abc/2"}, {}, "エラー：Ｘ座標 [02] [abc] は数値ではありません。"},
      {{"1/1", "2/1e20"}, {}, "エラー：Ｙ座標 [02] の値 100000000000000000000. は 15 桁を超えるため保存できません。"},
      {{"1/1"}, {{kHoleDepthEdit, "deep"}}, "エラー：穴深さ [deep] は数値ではありません。"},
      {{"1/1"}, {{kCboreDiameterEdit, "1,5"}}, "エラー：座　径 [1,5] は数値ではありません。"},
      {{"1/1"}, {{kHoleTypeCombo, "ドリル\nX1=9"}}, "エラー：穴の種類 に改行や NUL 文字は使えません。"},
  };
  const std::string before = JobBytes();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
    dialog.Init();
    SetRows(dialog, c.rows);
    for (const auto& [id, text] : c.sizes) dialog.SetText(id, text);
    const std::vector<std::string> typed = Rows(dialog);
    ui.boxes.clear();
    lines.clear();
    dialog.Click(kHoleCmdSave);
    EXPECT_FALSE(dialog.HasEnded());
    EXPECT_EQ(Rows(dialog), typed) << "nothing typed is lost";
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    EXPECT_EQ(ErrorBoxes()[0].rfind(c.error, 0), 0u) << ErrorBoxes()[0];
    EXPECT_EQ(lines.size(), 1u) << "no save lines before the refusal";
    EXPECT_EQ(JobBytes(), before);
  }
}

}  // namespace
}  // namespace drilling
