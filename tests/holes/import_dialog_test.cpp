// 図面から読込 in the hole definition dialog: the drawing chosen, the
// proposed groups in the table and the preview, the operator's changes, and
// what the save writes.
#include "Drilling/holes/import_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "Drilling/holes/hole_dialog.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "common/memory_form.h"
#include "common/text.h"
#include "holes/holes_fixture.h"
#include "support/dxf_text.h"

namespace drilling {
namespace {

// A drawing of the entities section only: the stock's outline with its
// lower-left corner at (40, 25), two circles of 10, one of 6 and a tap pair
// of 10 and 8.5.
std::string Drawing() {
  std::string dxf;
  auto line = [&](double x1, double y1, double x2, double y2) {
    dxf += testsupport::DxfLine("OUTLINE", x1, y1, x2, y2);
  };
  auto circle = [&](double x, double y, double d) { dxf += testsupport::DxfCircle("HOLES", x + 40, y + 25, d); };
  line(40, 25, 190, 25);
  line(190, 25, 190, 125);
  line(190, 125, 40, 125);
  line(40, 125, 40, 25);
  circle(30, 30, 10);
  circle(60, 30, 10);
  circle(90, 30, 6);
  circle(120, 70, 10);
  circle(120, 70, 8.5);
  return testsupport::DxfEntitiesDrawing(dxf);
}

class ImportDialogTest : public holestest::HolesFixture {
 protected:
  ImportDialogTest() {
    MakeJob("[Drilling]\ntitle=job\n材料X=150\n材料Y=100\n材料Z=20\n原点X=0\n原点Y=0\n"
            "[Hole1]\n種類=ドリル\n穴径=3\nX1=1.\nY1=1.\nX21=5.\nY21=5.\n");
    drawing = folder / "DXF" / "part.dxf";
    std::filesystem::create_directories(drawing.parent_path());
    testsupport::WriteBytes(drawing, Drawing());
  }
  std::string Key(int group, const char* key) const {
    return common::ReadProfileText("Hole" + std::to_string(group), key, "", 64, ctx.currentJobPath);
  }
  std::filesystem::path drawing;
};

TEST_F(ImportDialogTest, TheOperatorsChoicesDecideWhatTheSaveWrites) {
  struct Case {
    const char* name;
    std::function<void(common::MemoryForm&)> act;  // before 【保存】
    std::vector<std::string> legend;               // of the preview after the act
    std::vector<std::string> saved;                // "種類 穴径 下穴径: positions" of groups 1-4
  };
  const std::vector<Case> cases = {
      {"as proposed",
       [](common::MemoryForm&) {},
       {"ドリル φ6 × 1 穴", "ドリル φ10 × 2 穴", "タップ φ10 × 1 穴"},
       {"ドリル 6 : 90.,30.", "ドリル 10 : 30.,30. 60.,30.", "M10タップ 10 8.5: 120.,70.", "  :"}},
      {"the tens made reamers",
       [](common::MemoryForm& d) { d.Choose(kImportKind1Combo + 1, d.FindExact(kImportKind1Combo + 1, "リーマ")); },
       {"ドリル φ6 × 1 穴", "タップ φ10 × 1 穴", "リーマ φ10 × 2 穴"},
       {"ドリル 6 : 90.,30.", "M10タップ 10 8.5: 120.,70.", "リーマ 10 9.7: 30.,30. 60.,30.", "  :"}},
      {"the tap made a drill joins the drills of its size",
       [](common::MemoryForm& d) { d.Choose(kImportKind1Combo + 2, d.FindExact(kImportKind1Combo + 2, "ドリル")); },
       {"ドリル φ6 × 1 穴", "ドリル φ10 × 3 穴"},
       {"ドリル 6 : 90.,30.", "ドリル 10 : 120.,70. 30.,30. 60.,30.", "  :", "  :"}},
      {"the first group left out",
       [](common::MemoryForm& d) {
         d.Click(kImportKeep1Check);  // the check box turns off
       },
       {"（取込まない）ドリル φ6 × 1 穴", "ドリル φ10 × 2 穴", "タップ φ10 × 1 穴"},
       {"ドリル 10 : 30.,30. 60.,30.", "M10タップ 10 8.5: 120.,70.", "  :", "  :"}},
  };
  const std::string before = JobBytes();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::WriteBytes(ctx.currentJobPath, before);
    common::ForgetCachedProfiles();
    ui.fileChoices.push_back(drawing.string());
    std::vector<std::string> legend;
    ui.modalHandlers["IMPORTDRAWINGDLG"] = [&](common::Form& form) {
      auto& d = static_cast<common::MemoryForm&>(form);
      EXPECT_EQ(d.Text(kImportSummaryLabel, 256), "円 5 個、穴グループ 3、外形 150 × 100、材料の左下角 X40. Y25.");
      c.act(d);
      const auto* scene = std::any_cast<drillview::Scene>(&d.Picture(kImportPreview));
      ASSERT_NE(scene, nullptr);
      EXPECT_EQ(scene->holes.size(), 4u);
      for (const auto& entry : scene->legend) legend.push_back(entry.text);
      d.Click(kImportCmdSave);
    };
    ctx.currentHoleGroup = 3;  // the group of the tap pair, once imported
    common::MemoryForm hole(HoleDialogTemplate(), HoleDialogProc(ctx));
    hole.Init();
    hole.Click(kHoleCmdImport);
    EXPECT_EQ(ui.fileRequests.back().title, "図面ファイルを開く");
    EXPECT_EQ(legend, c.legend);
    std::vector<std::string> saved;
    for (int g = 1; g <= 4; ++g) {
      std::set<std::string> positions;  // the visiting order is the order's own business
      for (int k = 1; !Key(g, ("X" + std::to_string(k)).c_str()).empty(); ++k)
        positions.insert(Key(g, ("X" + std::to_string(k)).c_str()) + "," + Key(g, ("Y" + std::to_string(k)).c_str()));
      std::string line = Key(g, "種類") + " " + Key(g, "穴径") + " " + Key(g, "下穴径") + ":";
      for (const std::string& p : positions) line += " " + p;
      saved.push_back(line);
    }
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(Key(1, "X21"), "") << "no position of the old group stays";
    // The dialog shows its group as saved: passing through the diameter
    // looks nothing up, so a pilot size changed by hand afterwards stays.
    if (!Key(3, "下穴径").empty()) {
      hole.SetText(kPilotDiameterEdit, "7.7");
      hole.Type(kHoleDiameterEdit, hole.FullText(kHoleDiameterEdit));
      EXPECT_EQ(hole.FullText(kPilotDiameterEdit), "7.7");
    }
  }
}

TEST_F(ImportDialogTest, CancelAndAFailedProposalWriteNothing) {
  const std::string before = JobBytes();
  ui.fileChoices.push_back(drawing.string());
  ui.modalHandlers["IMPORTDRAWINGDLG"] = [](common::Form& form) { static_cast<common::MemoryForm&>(form).Click(kImportCmdCancel); };
  common::MemoryForm hole(HoleDialogTemplate(), HoleDialogProc(ctx));
  hole.Init();
  hole.Click(kHoleCmdImport);
  testsupport::WriteBytes(folder / "empty.dxf", "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
  ui.fileChoices.push_back((folder / "empty.dxf").string());
  hole.Click(kHoleCmdImport);
  EXPECT_EQ(ui.modalsRun, (std::vector<std::string>{"IMPORTDRAWINGDLG"})) << "no dialog without holes";
  ASSERT_FALSE(ErrorBoxes().empty());
  EXPECT_NE(ErrorBoxes().back().find("empty.dxf に円がありません"), std::string::npos) << ErrorBoxes().back();
  EXPECT_EQ(JobBytes(), before);
}

}  // namespace
}  // namespace drilling
