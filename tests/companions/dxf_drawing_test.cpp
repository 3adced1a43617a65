#include "Drilling/companions/dxf_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "Drilling/app/commands.h"
#include "Drilling/app/main_window.h"
#include "Drilling/job/job_file.h"
#include "common/textfile.h"
#include "job/job_fixture.h"
#include "support/stand_in_program.h"

namespace fs = std::filesystem;
using namespace drilling;

namespace {

// A small template with bare line feeds: the copy gives them CR LF.
constexpr const char* kSmallTemplate = "  0\nSECTION\n  2\nTABLES\n  0\nENDSEC\n";

std::string Golden(const std::string& name) {
  return testsupport::ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests" / "companions" / "golden" / name);
}

class DxfDrawingTest : public jobtest::JobFixture {
 protected:
  void SetUp() override {
    JobFixture::SetUp();
    testsupport::WriteBytes(ctx.programFolder / "TABLES.dxf", kSmallTemplate);
  }
  fs::path Drawing(const std::string& title) const { return ctx.DxfFolder() / (title + ".dxf"); }
  int Write(bool viewer = false) {
    DxfDrawingOptions options;
    options.showViewer = viewer;
    return WriteDxfDrawing(ctx, nullptr, options);
  }
  // Files in the DXF folder (a failed write must leave no temporary file).
  std::vector<std::string> DxfFolderNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(ctx.DxfFolder())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Stock 200 x 100 at the lower-left origin: a tap group (hole and pilot
// circles), a counterbore group whose positions stop at a gap, negative and
// zero diameters (no circle), the list-only reports of missing diameters, and
// a group without a type that ends the loop.
TEST_F(DxfDrawingTest, HoleGroupsGiveTheirCircles) {
  MakeJob("HOLES.ini",
          "[Drilling]\ntitle=HOLES\n材料X=200\n材料Y=100\n原点X=0\n原点Y=0\n"
          "[Hole1]\n種類=タップ\n穴径=10\n下穴径=8.5\n座穴径=30\nX1=20.\nY1=20.\nX2=180.\nY2=20.\n"
          "[Hole2]\n種類=ザグリ\n穴径=9\n座穴径=14\nX1=50.\nY1=50.\nX2=100.\nY2=50.\nX3=150.\nY3=50.\n"
          "X5=170.\nY5=50.\n"
          "[Hole3]\n種類=ドリル\n穴径=-3\n下穴径=5\nX1=10.\nY1=90.\n"
          "[Hole4]\n種類=タップ\n穴径=0\n下穴径=6.8\nX1=190.\nY1=90.\n"
          "[Hole5]\n種類=ザグリ\n穴径=6.6\n座穴径=0\nX1=100.\nY1=90.\n"
          "[Hole6]\n種類=M12タップ\n穴径=12\n下穴径=\nX1=30.\nY1=70.\n"
          "[Hole7]\n種類=ザグリ\n穴径=\n座穴径=11\nX1=60.\nY1=70.\n"
          "[Hole8]\n種類=ザグリ\n穴径=5.5\nX1=170.\nY1=70.\n"
          "[Hole9]\n穴径=20\nX1=100.\nY1=50.\n"
          "[Hole10]\n種類=ドリル\n穴径=20\nX1=100.\nY1=50.\n");
  ASSERT_EQ(Write(), 0);
  EXPECT_EQ(testsupport::ReadBytes(Drawing("HOLES")), Golden("holes.dxf"));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "        左下座標 0.000    0.000",
                       "        右上座標 200.000  100.000",
                       "[6] エラー：タップ下穴径が空です",
                       "[7] エラー：穴径が空です",
                       "[8] エラー：座穴径が空です",
                   }));
  EXPECT_TRUE(ui.boxes.empty());
}

// The origin in the middle of the stock: the outline lies around (0, 0), the
// extents 30 % beyond it; the reported corners; group 2 without a type ends
// the loop although group 3 has holes.
TEST_F(DxfDrawingTest, OriginInTheMiddleMovesOutlineAndExtents) {
  MakeJob("MID.ini",
          "[Drilling]\ntitle=MID\n材料X=200\n材料Y=100\n原点X=100\n原点Y=50\n"
          "[Hole1]\n種類=ドリル\n穴径=8\nX1=0.\nY1=0.\nX2=-90.\nY2=-40.\n"
          "[Hole2]\n穴径=5\nX1=10.\nY1=10.\n"
          "[Hole3]\n種類=ドリル\n穴径=5\nX1=50.\nY1=25.\n");
  testsupport::WriteBytes(Drawing("MID"), "an earlier drawing");
  ASSERT_EQ(Write(), 0);
  EXPECT_EQ(testsupport::ReadBytes(Drawing("MID")), Golden("origin_centre.dxf")) << "replaced without asking";
  EXPECT_EQ(lines, (std::vector<std::string>{"        左下座標 -100.000 -50.000", "        右上座標 100.000  50.000"}));
  EXPECT_TRUE(ui.questions.empty());
}

// Each failure: its message, nothing written, an earlier drawing untouched,
// no temporary file left, no viewer started.
TEST_F(DxfDrawingTest, FailuresWriteNothing) {
  const std::string complete =
      "[Drilling]\ntitle=PLATE\n材料X=200\n材料Y=100\n原点X=0\n原点Y=0\n[Hole1]\n種類=ドリル\n穴径=8\nX1=1.\nY1=1.\n";
  struct Case {
    const char* name;
    std::string from, to;  // replaced in the job text
    bool removeTemplate;
    std::string error;
  };
  const fs::path tables = ctx.programFolder / "TABLES.dxf";
  const Case cases[] = {
      {"stock X", "材料X=200", "材料X=", false, "材料寸法[X]取り出せません"},
      {"stock Y", "材料Y=100\n", "", false, "材料寸法[Y]取り出せません"},
      {"origin X", "原点X=0", "原点X=", false, "原点[X]取り出せません"},
      {"origin Y", "原点Y=0\n", "", false, "原点[Y]取り出せません"},
      {"template", "", "", true, "ファイル " + tables.string() + " オープンエラー"},
      {"separator", "title=PLATE", "title=../PLATE", false, ""},
      {"points", "title=PLATE", "title=..", false, ""},
      // A number too large for the width it is stored with (a hand-edited
      // job): no infinite extents or 309-digit corner, the value named.
      {"stock too large", "材料X=200", "材料X=1.7e308", false, "エラー：[Drilling] 材料X の値 1.7e308 が大きすぎます"},
      {"origin too large", "原点Y=0", "原点Y=-9e99", false, "エラー：[Drilling] 原点Y の値 -9e99 が大きすぎます"},
      {"hole too large", "穴径=8", "穴径=1e300", false, "エラー：[Hole1] 穴径 の値 1e300 が大きすぎます"},
      {"position too large", "Y1=1.", "Y1=1e20", false, "エラー：[Hole1] Y1 の値 1e20 が大きすぎます"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string job = complete;
    if (!c.from.empty()) job.replace(job.find(c.from), c.from.size(), c.to);
    MakeJob("PLATE.ini", job);
    common::ForgetCachedProfiles();
    testsupport::WriteBytes(Drawing("PLATE"), "an earlier drawing");
    if (c.removeTemplate) fs::remove(tables);
    ui.boxes.clear();
    lines.clear();
    launcher.started.clear();
    WriteConfig("[DxfViewer]\nFILE=/usr/bin/viewer\n");

    EXPECT_EQ(Write(true), -1);
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    if (!c.error.empty()) {
      EXPECT_EQ(ErrorBoxes()[0], c.error);
    }
    EXPECT_EQ(testsupport::ReadBytes(Drawing("PLATE")), "an earlier drawing");
    EXPECT_EQ(DxfFolderNames(), std::vector<std::string>{"PLATE.dxf"});
    EXPECT_FALSE(fs::exists(ctx.programFolder / "PLATE.dxf"));
    EXPECT_TRUE(launcher.started.empty());
    for (const std::string& line : lines) {
      EXPECT_EQ(line.find("inf"), std::string::npos) << line;
      EXPECT_FALSE(std::regex_search(line, std::regex("[0-9]{20}"))) << line;
    }
    testsupport::WriteBytes(tables, kSmallTemplate);
  }
  // The title error is the job file's own.
  MakeJob("PLATE.ini", "[Drilling]\ntitle=a/b\n材料X=1\n材料Y=1\n原点X=0\n原点Y=0\n");
  ui.boxes.clear();
  Write();
  CheckFileTitle(ctx, nullptr, "a/b");
  ASSERT_EQ(ErrorBoxes().size(), 2u);
  EXPECT_EQ(ErrorBoxes()[0], ErrorBoxes()[1]);
}

// Without a title the drawing is Drilling.dxf; a DXF folder that is a plain
// file gives the open error.
TEST_F(DxfDrawingTest, DefaultTitleAndUnwritableFolder) {
  MakeJob("J.ini", "[Drilling]\n材料X=10\n材料Y=10\n原点X=0\n原点Y=0\n");
  ASSERT_EQ(Write(), 0);
  EXPECT_TRUE(fs::is_regular_file(Drawing("Drilling")));
  EXPECT_EQ(ctx.dialogFolder, ctx.DxfFolder().string());

  // A drawing made write-protected is kept as it is (also for the super-user).
  testsupport::WriteBytes(Drawing("Drilling"), "kept");
  fs::permissions(Drawing("Drilling"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(testsupport::ReadBytes(Drawing("Drilling")), "kept");
  EXPECT_EQ(ErrorBoxes(),
            std::vector<std::string>{"図面ファイルオープンエラー " + (ctx.DxfFolder() / "Drilling.dxf").string()});
  EXPECT_EQ(DxfFolderNames(), std::vector<std::string>{"Drilling.dxf"});
  ui.boxes.clear();

  fs::remove_all(ctx.DxfFolder());
  testsupport::WriteBytes(ctx.DxfFolder(), "not a folder");
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(ErrorBoxes(),
            std::vector<std::string>{"図面ファイルオープンエラー " + (ctx.DxfFolder() / "Drilling.dxf").string()});
}

// 図面表示 on the shipped sample job: the main data saved first, the drawing
// byte for byte with the shipped template, the viewer of Drilling.ini started
// with the drawing's path.
TEST_F(DxfDrawingTest, SampleJobFromTheMenu) {
  const fs::path dist = fs::path(DRILLING_SOURCE_DIR) / "dist";
  fs::copy_file(dist / "Drilling.ini", ctx.configPath, fs::copy_options::overwrite_existing);
  fs::copy_file(dist / "TABLES.dxf", ctx.programFolder / "TABLES.dxf", fs::copy_options::overwrite_existing);
  fs::copy_file(dist / "DB" / "SAMPLE-PLATE.ini", ctx.JobFolder() / "SAMPLE-PLATE.ini");
  common::ForgetCachedProfiles();
  ctx.currentJobPath = ctx.JobFolder() / "SAMPLE-PLATE.ini";
  common::MemoryForm main(MainDialogTemplate(), MainWindowProc(ctx));
  ASSERT_EQ(ReadJobFile(ctx, main), 0);
  main.Click(kCmdShowDrawing);

  EXPECT_EQ(testsupport::ReadBytes(Drawing("SAMPLE-PLATE")), Golden("SAMPLE-PLATE.dxf"));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "メインの加工情報を保存しました。"), lines.end());
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0].program, "Drillview");
  EXPECT_EQ(launcher.started[0].arguments, std::vector<std::string>{Drawing("SAMPLE-PLATE").string()});
  EXPECT_TRUE(ui.boxes.empty());
}

// The viewer: its checks, and a real start of a stand-in program whose path
// and drawing path hold blanks.
TEST_F(DxfDrawingTest, ViewerStartsWithTheDrawingAsOneArgument) {
  const fs::path drawing = ctx.DxfFolder() / "MY PLATE 1.dxf";
  testsupport::WriteBytes(drawing, "0\r\nEOF\r\n");

  WriteConfig("[DxfViewer]\nFILE=\n");
  common::ForgetCachedProfiles();
  EXPECT_EQ(ShowDxfFile(ctx, nullptr, drawing), 0);
  EXPECT_EQ(lines.back(), "DXF Viewer の設定がありません。");
  EXPECT_EQ(ShowDxfFile(ctx, nullptr, ctx.DxfFolder() / "gone.dxf"), -1);
  EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{"エラー：" + (ctx.DxfFolder() / "gone.dxf").string() + " が存在しません"});
  EXPECT_TRUE(launcher.started.empty());

  common::SystemLauncher real;
  ctx.launcher = &real;
  testsupport::StandInProgram viewer(folder / "cad programs" / "view dxf");
  WriteConfig("[DxfViewer]\nFILE=" + viewer.Path().string() + "\n");
  common::ForgetCachedProfiles();
  ui.boxes.clear();
  EXPECT_EQ(ShowDxfFile(ctx, nullptr, drawing), 0);
  EXPECT_EQ(viewer.Arguments(), std::vector<std::string>{drawing.string()});
  EXPECT_TRUE(ui.boxes.empty());

  WriteConfig("[DxfViewer]\nFILE=" + (folder / "no viewer here").string() + "\n");
  common::ForgetCachedProfiles();
  EXPECT_EQ(ShowDxfFile(ctx, nullptr, drawing), -1);
  EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{"エラー：DXFファイル " + drawing.string() + " が開けません"});

  // The drawing stands and the command succeeds although the viewer failed.
  MakeJob("J.ini", "[Drilling]\ntitle=MY PLATE 1\n材料X=10\n材料Y=10\n原点X=0\n原点Y=0\n");
  ui.boxes.clear();
  EXPECT_EQ(Write(true), 0);
  EXPECT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_NE(testsupport::ReadBytes(drawing), "0\r\nEOF\r\n");
}

}  // namespace
