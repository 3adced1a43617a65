#include "Drilling/ncout/nc_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "ncout/ncout_support.h"

namespace fs = std::filesystem;

namespace drilling::testing {
namespace {

constexpr const char* kToolList =
    "[TOOLLIST]\n"
    "TOOLJP0=センタードリル\nTOOLEN0=CENTER DRILL\n"
    "TOOLJP1=ドリル\nTOOLEN1=DRILL\n";

// The one-process job of the orientation example.
constexpr const char* kOrientationJob =
    "[Drilling]\ntitle=orientation\n制御装置=FANUC 0i-MF\n座標系=G54\nＯ番号=12\nNcFile=O0012.nc\n"
    "[Hole1]\nX1=10.\nY1=10.\nX2=30.\nY2=10.\n"
    "[PROCESS1]\nTOOLNAME=ドリル\nTOOLDIAM=8.5\nTOOLT=3\nTOOLH=3\nTOOLD=\nSPINDL=800\nFEEDRATE=80\nGCODE=83\n"
    "RCODE=3.\nZCODE=-20.\nQCODE=2.\nOFFSET=\nGROUP=1\n";

// Everything configurable, every cycle, both group modes.
constexpr const char* kFeaturesConfig =
    "[NCFORMAT]\nToolInfomation=1\nControlDevice=1\nToolChange=M6\nMcReference=G30\n"
    "StartX=-10\nStartY=5.5\nStartZ=100.000\nProgramEnd=M02\n"
    "[G82]\npcode=P250\n"
    "[StartLine]\nLINE0=G17 G40 G49 G80\nLINE1=(穴明け)\nLINE3=(NOT WRITTEN)\n"
    "[EndLine]\nLINE0=G91 G28 Y0.\nLINE1=M05\n"
    "[TOOLLIST]\nTOOLJP0=センタードリル\nTOOLEN0=CENTER DRILL\nTOOLJP2=ドリル\nTOOLEN2=DRILL\n"
    "TOOLJP3=面取りカッター\nTOOLJP4=タップ\nTOOLEN4=TAP\nTOOLJP5=ドリル\nTOOLEN5=SECOND DRILL\n";

constexpr const char* kFeaturesJob =
    "[Drilling]\n制御装置=FANUC 31i-B5\n座標系=G55\nＯ番号=12345\nNcFile=O12345.nc\n"
    "[Hole1]\nX1=10.\nY1=10.\nX2=30.\nY2=10.\nX3=50.25\nY3=10.\n"
    "[Hole2]\nX1=10.\nY1=40.\nX2=30.\nY2=40.\n"
    "[Hole3]\nX1=70.\nY1=-20.5\nX2=90.\n"  // Y2 missing: the group ends at one point
    "[Hole4]\nX1=\nY1=\n"
    "[PROCESS1]\nTOOLNAME=センタードリル\nTOOLDIAM=3.\nTOOLT=1\nTOOLH=1\nSPINDL=1500\nFEEDRATE=100\nGCODE=81\n"
    "RCODE=2.\nZCODE=-2.\nGROUP=\n"
    "[PROCESS2]\nTOOLNAME=ドリル\nTOOLDIAM=8.5\nTOOLT=2\nTOOLH=2\nSPINDL=1100\nFEEDRATE=120\nGCODE=83\n"
    "RCODE=2\nZCODE=-25.5\nQCODE=2.0\nGROUP=1\n"
    "[PROCESS3]\nTOOLNAME=ドリル\nTOOLDIAM=8.5\nTOOLT=02\nTOOLH=12\nSPINDL=1100\nFEEDRATE=120\nGCODE=73\n"
    "RCODE=2.\nZCODE=-18.\nQCODE=1.5\nGROUP=2\n"
    "[PROCESS4]\nTOOLNAME=面取りカッター\nTOOLDIAM=\nTOOLT=4\nTOOLH=4\nSPINDL=800\nFEEDRATE=150\nGCODE=82\n"
    "RCODE=2.\nZCODE=-1.2\nGROUP=3\n"
    "[PROCESS5]\nTOOLNAME=タップ\nTOOLDIAM=10.\nTOOLT=5\nTOOLH=5\nSPINDL=300\nFEEDRATE=450\nGCODE=84\n"
    "RCODE=5.\nZCODE=-20.\nGROUP=2\n"
    "[PROCESS6]\nTOOLNAME=エンドミル\nTOOLDIAM=14.\nTOOLT=6\nTOOLH=6\nSPINDL=900\nFEEDRATE=90\nGCODE=81\n"
    "RCODE=2.\nZCODE=-9.\nGROUP=4\n"
    "[PROCESS7]\nTOOLNAME=リーマ\nTOOLDIAM=8.5\nTOOLT=123\nTOOLH=23\nSPINDL=200\nFEEDRATE=60\nGCODE=81\n"
    "RCODE=3\nZCODE=-12.500\nGROUP=1\n";

// Tool comment off, no fixed lines, an empty dwell word, no program number,
// a first process with tool 0 (counts as the same tool).
constexpr const char* kPlainJob =
    "[Drilling]\n座標系=G54\nNcFile=O1\n"
    "[Hole1]\nX1=0.\nY1=0.\n"
    "[PROCESS1]\nTOOLNAME=ザグリ\nTOOLT=0\nTOOLH=0\nSPINDL=600\nFEEDRATE=50\nGCODE=82\nRCODE=2.\nZCODE=-5.5\nGROUP=1\n";

class NcWriterTest : public NcFolderTest {
 protected:
  fs::path Nc(const char* name) const { return ctx.NcFolder() / name; }
  int Write(const char* controller = "FANUC 0i-MF") { return WriteNcProgram(ctx, nullptr, controller); }
};

TEST_F(NcWriterTest, OrientationExampleByteForByte) {
  Config(std::string("[NCFORMAT]\nToolInfomation=1\n") + kToolList);
  Job(kOrientationJob);
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  EXPECT_EQ(Bytes(Nc("O0012.nc")), Golden("orientation.nc"));
  EXPECT_EQ(ErrorBoxCount(), 0);
  EXPECT_TRUE(Reported(">>> FANUC 0i-MF仕様 ＮＣデータ作成"));
  EXPECT_TRUE(Reported("使用工具 ドリル"));
  EXPECT_TRUE(Reported("... 穴情報 [1]"));
}

TEST_F(NcWriterTest, EveryCycleFixedLinesCommentsAndGroupModes) {
  Config(kFeaturesConfig);
  Job(kFeaturesJob);
  ASSERT_EQ(Write("FANUC 31i-B5"), 0) << LastErrorBox();
  EXPECT_EQ(Bytes(Nc("O12345.nc")), Golden("features.nc"));
  EXPECT_EQ(ErrorBoxCount(), 0);
  EXPECT_TRUE(Reported("... 全ての穴定義"));
  EXPECT_TRUE(Reported("... 穴情報 [3]"));
  EXPECT_TRUE(Reported("工程3は前の工具と同じです。"));
  EXPECT_TRUE(Reported("一致した工具情報取出し失敗"));  // 面取りカッター has no English name
  EXPECT_TRUE(Reported("一致した工具情報がありません"));  // エンドミル is not in the list
  EXPECT_FALSE(fs::exists(Nc("O12345.nc.failed")));
}

TEST_F(NcWriterTest, PlainProgramWithoutCommentsOrFixedLines) {
  Config("[G82]\npcode=\n");
  Job(kPlainJob);
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  EXPECT_EQ(Bytes(Nc("O1")), Golden("plain.nc"));
  EXPECT_TRUE(Reported("工程1は前の工具と同じです。"));
}

// The program composed in memory is the one the writer writes, with the
// positions given in place of the stored ones; nothing is written or listed.
TEST_F(NcWriterTest, ComposedProgramIsTheWrittenOneWithTheGivenPositions) {
  struct Case {
    const char* name;
    const char* job;
    std::map<int, std::vector<HolePoint>> positions;
    std::string expected;  // the program, or the error
  };
  std::string moved = Golden("features.nc");
  moved.replace(moved.find("G73 X10. Y40."), 13, "G73 X30. Y40.");
  moved.replace(moved.find("X30. Y40.\r\nG80"), 9, "X10. Y40.");
  moved.replace(moved.find("G81 X10. Y40."), 13, "G81 X30. Y40.");  // the all-groups pass
  moved.replace(moved.find("X30. Y40.\r\nG80"), 9, "X10. Y40.");
  moved.replace(moved.find("G84 X10. Y40."), 13, "G84 X30. Y40.");
  moved.replace(moved.find("X30. Y40.\r\nG80"), 9, "X10. Y40.");
  const Case cases[] = {
      {"as stored", kFeaturesJob, {}, Golden("features.nc")},
      {"group 2 the other way round", kFeaturesJob, {{2, {{30, 40}, {10, 40}}}}, moved},
      {"no process yet", "[Drilling]\n座標系=G54\nNcFile=O1\n[Hole1]\nX1=0.\nY1=0.\n", {},
       "エラー：工程がありません。"},
  };
  Config(kFeaturesConfig);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Job(c.job);
    common::ForgetCachedProfiles();
    lines.clear();
    std::string text;
    const int result = ComposeNcProgram(ctx, c.positions, text);
    EXPECT_EQ(result == 0 ? common::ToCp932CrLf(text) : ctx.messageBuffer, c.expected);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ErrorBoxCount(), 0);
    EXPECT_FALSE(fs::exists(Nc("O12345.nc")));
  }
}

TEST_F(NcWriterTest, ProgramNumberWidthsAndGroupsOutsideTheJob) {
  Config("");
  std::string job = kOrientationJob;
  job.replace(job.find("Ｏ番号=12"), std::string("Ｏ番号=12").size(), "Ｏ番号=7");
  job.replace(job.find("GROUP=1"), 7, "GROUP=5");  // no such group: a block without holes
  Job(job);
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  std::string text = Bytes(Nc("O0012.nc"));
  EXPECT_NE(text.find("%\r\nO0007\r\nG91 G28 Z0.\r\nN1\r\nM01\r\nT03\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("M08\r\nM09\r\nM05\r\nX0. Y0.\r\nM30\r\n%\r\n"), std::string::npos) << text;
  EXPECT_TRUE(Reported("... 穴情報 [5]"));
}

// The ends of the lists the writer reads (100 start lines, 98 points, tool
// names up to TOOLJP98) and the dwell word of a G82 when pcode is absent.
TEST_F(NcWriterTest, ListEndsAndTheDefaultDwellWord) {
  std::string config = "[NCFORMAT]\nToolInfomation=1\n[TOOLLIST]\nTOOLJP98=ドリル\nTOOLEN98=LAST DRILL\n[StartLine]\n";
  for (int i = 0; i <= 100; ++i) config += common::FormatText("LINE%d=(S%d)\n", i, i);
  Config(config);
  std::string job = kOrientationJob;
  job.replace(job.find("GCODE=83"), 8, "GCODE=82");
  std::string points;
  for (int k = 1; k <= 99; ++k) points += common::FormatText("X%d=%d.\nY%d=5.\n", k, 10 * k, k);
  job.replace(job.find("X1=10.\nY1=10.\nX2=30.\nY2=10.\n"), 28, points);
  Job(job);
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  std::string text = Bytes(Nc("O0012.nc"));
  EXPECT_NE(text.find("O0012\r\n(S0)\r\n"), std::string::npos);
  EXPECT_NE(text.find("(S99)\r\nG91 G28 Z0.\r\nN1\r\n(LAST DRILL D8.5)\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("(S100)"), std::string::npos);
  EXPECT_NE(text.find("M08\r\nG82 X10. Y5. R3. Z-20. P100 F80\r\nX20. Y5.\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("X980. Y5.\r\nG80\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("X990."), std::string::npos);
}

TEST_F(NcWriterTest, ProcessListEndsAtTheFirstGap) {
  Config("");
  std::string job = kFeaturesJob;
  job.replace(job.find("TOOLNAME=面取りカッター"), std::string("TOOLNAME=面取りカッター").size(), "TOOLNAME=");
  Job(job);
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  std::string text = Bytes(Nc("O12345.nc"));
  EXPECT_NE(text.find("\r\nN3\r\n"), std::string::npos);
  EXPECT_EQ(text.find("\r\nN4\r\n"), std::string::npos);
  EXPECT_EQ(text.find("\r\nN5\r\n"), std::string::npos);
}

// ---- failures -------------------------------------------------------------

struct BeforeOpenCase {
  const char* name;
  const char* from;   // replaced in the orientation job ...
  const char* to;     // ... by this
  const char* error;
};

class NcWriterFailsBeforeOpen : public NcWriterTest, public ::testing::WithParamInterface<BeforeOpenCase> {};

// Failures before the file is opened leave an earlier program untouched.
TEST_P(NcWriterFailsBeforeOpen, ReportsAndKeepsTheEarlierProgram) {
  const BeforeOpenCase& c = GetParam();
  Config("");
  std::string job = kOrientationJob;
  job.replace(job.find(c.from), std::string(c.from).size(), c.to);
  Job(job);
  WriteText(Nc("O0012.nc"), "earlier program\n");
  ui.answers = {true};  // overwrite: yes
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(LastErrorBox(), c.error);
  EXPECT_EQ(ErrorBoxCount(), 1);
  EXPECT_EQ(Bytes(Nc("O0012.nc")), Cp932("earlier program\n"));
  EXPECT_FALSE(fs::exists(Nc("O0012.nc.failed")));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NcWriterFailsBeforeOpen,
    ::testing::Values(
        BeforeOpenCase{"NoCoordinateSystem", "座標系=G54", "座標系=", "エラー：ワーク座標系の定義がありません"},
        BeforeOpenCase{"NoToolNumber", "TOOLT=3", "TOOLT=", "エラー：工具番号の定義がありません"},
        BeforeOpenCase{"NoLengthOffset", "TOOLH=3", "TOOLX=3", "エラー：工具長補正番号の定義がありません"},
        BeforeOpenCase{"NoProcess", "TOOLNAME=ドリル", "TOOLNAME=", ""},
        // Read cut to 7 bytes it would be another work offset.
        BeforeOpenCase{"CoordinateSystemTooWide", "座標系=G54", "座標系=G54.1P12",
                       "エラー：定義ファイルの [Drilling] 座標系 の値 G54.1P12 が長すぎます（7 バイトまで）。"},
        // Written into the positioning line, each would add words of its own.
        BeforeOpenCase{"CoordinateSystemOfTwoWords", "座標系=G54", "座標系=G5 M30",
                       "エラー：ワーク座標系 G5 M30 は使えません（英字・数字・ピリオドだけの 1 語にして下さい）"},
        BeforeOpenCase{"CoordinateSystemWithComment", "座標系=G54", "座標系=G54(X)",
                       "エラー：ワーク座標系 G54(X) は使えません（英字・数字・ピリオドだけの 1 語にして下さい）"},
        BeforeOpenCase{"CoordinateSystemOfKana", "座標系=G54", "座標系=G54ﾞ",
                       "エラー：ワーク座標系 G54ﾞ は使えません（英字・数字・ピリオドだけの 1 語にして下さい）"}),
    [](const auto& info) { return info.param.name; });

TEST_F(NcWriterTest, MissingOrUnsafeNcFileNamesAreRefused) {
  Config("");
  std::string job = kOrientationJob;
  std::size_t at = job.find("NcFile=O0012.nc");
  for (const char* name : {"", "../escape.nc", "sub/O1.nc", "..", "C:O1.nc", "..\\O1.nc"}) {
    std::string edited = job;
    edited.replace(at, std::string("NcFile=O0012.nc").size(), std::string("NcFile=") + name);
    Job(edited);
    ui.boxes.clear();
    EXPECT_EQ(Write(), -1) << name;
    if (*name == '\0') {
      EXPECT_EQ(LastErrorBox(), "エラー：ＮＣファイル定義がありません");
    } else {
      EXPECT_EQ(LastErrorBox(), common::FormatText(
                                    "エラー：ＮＣファイル名 %s は使えません（フォルダを含まない名前にして下さい）", name));
    }
  }
  EXPECT_FALSE(fs::exists(folder / "escape.nc"));
  EXPECT_TRUE(fs::is_empty(ctx.NcFolder()));
}

TEST_F(NcWriterTest, DeclinedOverwriteKeepsTheEarlierProgram) {
  Config("");
  Job(kOrientationJob);
  WriteText(Nc("O0012.nc"), "earlier program\n");
  ui.answers = {false};
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(LastErrorBox(), "ＮＣファイルの書き込みを中止します。");
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_NE(ui.questions[0].find("O0012.nc"), std::string::npos);
  EXPECT_EQ(Bytes(Nc("O0012.nc")), Cp932("earlier program\n"));
}

TEST_F(NcWriterTest, NcFolderThatCannotTakeTheFile) {
  Config("");
  Job(kOrientationJob);
  fs::create_directory(Nc("O0012.nc"));  // the name is taken by a folder
  ui.answers = {true};
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：ＮＣファイル " + Nc("O0012.nc").string() + " が開けません。");
  fs::remove(Nc("O0012.nc"));
  fs::remove(ctx.NcFolder());
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：ＮＣファイル " + Nc("O0012.nc").string() + " が開けません。");
}

struct HalfWayCase {
  const char* name;
  const char* from;
  const char* to;
  const char* error;
  const char* lastLines;  // how the kept partial program ends
  const char* from2 = nullptr;
  const char* to2 = nullptr;
};

class NcWriterFailsHalfWay : public NcWriterTest, public ::testing::WithParamInterface<HalfWayCase> {};

// A program that fails after the file was opened is not left under its real
// name (the earlier one is gone too: the operator agreed to replace it);
// what was written is kept as <name>.failed.
TEST_P(NcWriterFailsHalfWay, KeepsThePartialProgramAside) {
  const HalfWayCase& c = GetParam();
  Config("");
  std::string job = kOrientationJob;
  job.replace(job.find(c.from), std::string(c.from).size(), c.to);
  if (c.from2) job.replace(job.find(c.from2), std::string(c.from2).size(), c.to2);
  Job(job);
  WriteText(Nc("O0012.nc"), "earlier program\n");
  ui.answers = {true};
  EXPECT_EQ(Write(), -1);
  const fs::path kept = Nc("O0012.nc.failed");
  EXPECT_EQ(LastErrorBox(),
            std::string(c.error) + "（書きかけのＮＣデータは " + kept.string() + " に残しました）");
  EXPECT_EQ(ErrorBoxCount(), 1);
  EXPECT_FALSE(fs::exists(Nc("O0012.nc")));
  std::string partial = Bytes(kept);
  std::string tail = Cp932(c.lastLines);
  ASSERT_GE(partial.size(), tail.size());
  EXPECT_EQ(partial.substr(partial.size() - tail.size()), tail);
  EXPECT_EQ(partial.substr(0, 10), "%\r\nO0012\r\n");
}

constexpr const char* kBeforeCycle = "G43 H03 Z50.\nS800 M03\nM08\n";

INSTANTIATE_TEST_SUITE_P(
    Texts, NcWriterFailsHalfWay,
    ::testing::Values(
        HalfWayCase{"NoSpindleSpeed", "SPINDL=800", "SPINDL=0", "エラー[1]：回転数の取り出し失敗",
                    "G90 G00 G54 X0. Y0.\nG43 H03 Z50.\n"},
        HalfWayCase{"NoCycle", "GCODE=83", "GCODE=", "エラー：Gコード取得失敗", kBeforeCycle},
        HalfWayCase{"NoFeed", "FEEDRATE=80", "FEEDRATE=-5", "エラー：Fコード取得失敗", kBeforeCycle},
        HalfWayCase{"NoR", "RCODE=3.", "RCODE=", "エラー：Rコード取得失敗", kBeforeCycle},
        HalfWayCase{"NoZ", "ZCODE=-20.", "ZCODE=", "エラー：Zコード取得失敗", kBeforeCycle},
        HalfWayCase{"ZTooWide", "ZCODE=-20.", "ZCODE=-20.000000000000001",
                    "エラー：定義ファイルの [PROCESS1] ZCODE の値 -20.000000000000001 が長すぎます（15 バイトまで）。",
                    kBeforeCycle},
        HalfWayCase{"PositionTooWide", "X2=30.", "X2=100000000000000000000",
                    "エラー：定義ファイルの [Hole1] X2 の値 100000000000000000000 が長すぎます（15 バイトまで）。",
                    kBeforeCycle},
        HalfWayCase{"NoQForG83", "QCODE=2.", "QCODE=", "エラー：Qコード取得失敗", kBeforeCycle},
        HalfWayCase{"NoQForG73", "GCODE=83\nRCODE=3.\nZCODE=-20.\nQCODE=2.", "GCODE=73\nRCODE=3.\nZCODE=-20.",
                    "エラー：Qコード取得失敗", kBeforeCycle},
        HalfWayCase{"UnsupportedCycle", "GCODE=83", "GCODE=85", "サイクルG85コードはサポートしてません。",
                    kBeforeCycle},
        HalfWayCase{"RadiusCompensationIsNoCycle", "GCODE=83", "GCODE=41", "サイクルG41コードはサポートしてません。",
                    kBeforeCycle},
        // A value that reads as a number but whose text would not fit its width.
        HalfWayCase{"HugeR", "RCODE=3.", "RCODE=1e300", "エラー：RCODE の値 1e300 が大きすぎます", kBeforeCycle},
        HalfWayCase{"HugeZ", "ZCODE=-20.", "ZCODE=-99999999999999", "エラー：ZCODE の値 -99999999999999 が大きすぎます",
                    kBeforeCycle},
        HalfWayCase{"HugeQ", "QCODE=2.", "QCODE=2e20", "エラー：QCODE の値 2e20 が大きすぎます", kBeforeCycle},
        HalfWayCase{"HugePoint", "Y2=10.", "Y2=1E16", "エラー：穴位置 [1] の 2 番目の値が大きすぎます", kBeforeCycle},
        HalfWayCase{"NoHoleAnywhere", "GROUP=1", "GROUP=", "エラー：穴定義がありません。", kBeforeCycle,
                    "[Hole1]", "[Hole9]"}),
    [](const auto& info) { return info.param.name; });

// A configured start position that is present but not a number is an error
// before the program is written (as 0 it would rapid to the stock's face).
TEST_F(NcWriterTest, StartPositionThatIsNotANumberIsRefused) {
  struct Case {
    const char* config;
    const char* box;
  };
  const Case cases[] = {
      {"[NCFORMAT]\nStartZ=５０\n", "エラー：NCFORMAT の StartZ [５０] は数値ではありません。"},
      {"[NCFORMAT]\nStartX=abc\n", "エラー：NCFORMAT の StartX [abc] は数値ではありません。"},
      {"[NCFORMAT]\nStartY=nan\n", "エラー：NCFORMAT の StartY [nan] は数値ではありません。"},
      {"[NCFORMAT]\nStartZ=1234567890123456\n", "エラー：NCFORMAT の StartZ [1234567890123456] は数値ではありません。"},
  };
  for (const Case& c : cases) {
    Config(c.config);
    Job(kOrientationJob);
    fs::remove(Nc("O0012.nc"));
    EXPECT_EQ(Write(), -1) << c.config;
    EXPECT_EQ(LastErrorBox(), c.box);
    EXPECT_FALSE(fs::exists(Nc("O0012.nc")));
    EXPECT_FALSE(fs::exists(Nc("O0012.nc.failed")));
  }
  Config("[NCFORMAT]\nStartZ=\n");  // empty: the default
  Job(kOrientationJob);
  EXPECT_EQ(Write(), 0);
  EXPECT_NE(Bytes(Nc("O0012.nc")).find("G43 H03 Z50.\r\n"), std::string::npos);
}

TEST_F(NcWriterTest, SecondRunAfterAFailureClearsTheStalePartial) {
  Config("");
  std::string broken = kOrientationJob;
  broken.replace(broken.find("GCODE=83"), 8, "GCODE=85");
  Job(broken);
  ASSERT_EQ(Write(), -1);
  ASSERT_TRUE(fs::exists(Nc("O0012.nc.failed")));
  Job(kOrientationJob);
  ASSERT_EQ(Write(), 0);
  std::string expected = Golden("orientation.nc");
  expected.erase(expected.find("(DRILL D8.5)\r\n"), 14);  // no tool comments in this configuration
  EXPECT_EQ(Bytes(Nc("O0012.nc")), expected);
  EXPECT_FALSE(fs::exists(Nc("O0012.nc.failed")));
}

TEST_F(NcWriterTest, AFullDiskIsAFailureNotAHalfProgram) {
  // A 16 KiB file system for ncdata; the big program does not fit.
  const fs::path nc = ctx.NcFolder();
  std::string mount = "mount -t tmpfs -o size=16k tmpfs '" + nc.string() + "' 2>/dev/null";
  if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "cannot mount a small file system here";
  struct Unmount {
    fs::path path;
    ~Unmount() { std::system(("umount '" + path.string() + "'").c_str()); }
  } unmount{nc};

  Config("");
  std::string job = kOrientationJob;
  std::string points;
  for (int k = 3; k <= 98; ++k) points += common::FormatText("X%d=%d.125\nY%d=%d.5\n", k, 1000 + k, k, 2000 + k);
  job.replace(job.find("X2=30.\nY2=10.\n"), 14, "X2=30.\nY2=10.\n" + points);
  std::string processes;
  for (int n = 2; n <= 15; ++n) {
    std::string block = job.substr(job.find("[PROCESS1]"));
    block.replace(0, 10, common::FormatText("[PROCESS%d]", n));
    processes += block;
  }
  Job(job + processes);
  WriteText(nc / "O0012.nc", "earlier program\n");
  ui.answers = {true};
  EXPECT_EQ(Write(), -1);
  EXPECT_EQ(LastErrorBox().rfind("エラー：ＮＣファイル " + (nc / "O0012.nc").string() + " の書き込みに失敗しました。", 0), 0u)
      << LastErrorBox();
  EXPECT_FALSE(fs::exists(nc / "O0012.nc"));
  // Whatever could be kept is a partial program, never one under the real name.
  for (const auto& entry : fs::directory_iterator(nc)) EXPECT_EQ(entry.path().extension(), ".failed") << entry.path();
}

// ---- a big job, read back by an independent reader -------------------------

std::string BigJob() {
  std::string job = "[Drilling]\n制御装置=FANUC 0i-MF\n座標系=G54\nＯ番号=4321\nNcFile=O4321.nc\n";
  for (int g = 1; g <= 4; ++g) {
    job += common::FormatText("[Hole%d]\n", g);
    for (int k = 1; k <= 98; ++k)
      job += common::FormatText("X%d=%d.%d\nY%d=%d.25\n", k, 10 * k, g, k, 50 * g);
  }
  const int cycles[] = {81, 83, 73, 82, 84};
  for (int n = 1; n <= 15; ++n) {
    int cycle = cycles[(n - 1) % 5];
    job += common::FormatText(
        "[PROCESS%d]\nTOOLNAME=%s\nTOOLDIAM=%d.5\nTOOLT=%d\nTOOLH=%d\nSPINDL=%d\nFEEDRATE=%d\nGCODE=%d\n"
        "RCODE=2.\nZCODE=-%d.5\nQCODE=%s\nGROUP=%d\n",
        n, n % 2 ? "ドリル" : "タップ", n, n / 2 + 1, n / 2 + 1, 500 + 100 * n, 40 + n, cycle, n,
        (cycle == 83 || cycle == 73) ? "1.5" : "", n % 5);
  }
  return job;
}

TEST_F(NcWriterTest, FifteenProcessesOverFourGroupsOfNinetyEightPoints) {
  Config(std::string("[NCFORMAT]\nToolInfomation=1\n") + kToolList);
  Job(BigJob());
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  ReadBack reading = ReadBackProgram(Bytes(Nc("O4321.nc")));
  for (const auto& p : reading.problems) ADD_FAILURE() << p;
  EXPECT_EQ(reading.program.programNumber, 4321);
  // Groups: n % 5 == 0 drills all four groups, otherwise the one named.
  std::size_t expected = 0;
  for (int n = 1; n <= 15; ++n) expected += n % 5 == 0 ? 4 * 98 : 98;
  ASSERT_EQ(reading.program.holes.size(), expected);
  EXPECT_EQ(reading.program.toolChanges, 8);  // processes sharing a tool number change only once
  // Every hole lies where the job says, at its process's depth.
  std::size_t i = 0;
  const int cycles[] = {81, 83, 73, 82, 84};
  for (int n = 1; n <= 15; ++n) {
    for (int g = 1; g <= 4; ++g) {
      if (n % 5 != 0 && g != n % 5) continue;
      for (int k = 1; k <= 98; ++k, ++i) {
        const gcode::Hole& h = reading.program.holes[i];
        ASSERT_EQ(h.cycle, cycles[(n - 1) % 5]) << n;
        EXPECT_EQ(h.tool, n / 2 + 1);
        EXPECT_EQ(h.lengthOffset, n / 2 + 1);
        EXPECT_DOUBLE_EQ(h.xMm, 10 * k + g / 10.0);
        EXPECT_DOUBLE_EQ(h.yMm, 50 * g + 0.25);
        EXPECT_DOUBLE_EQ(h.bottomMm, -(n + 0.5));
        EXPECT_EQ(h.spindleRpm, 500 + 100 * n);
        EXPECT_EQ(h.feedMmPerMin, 40 + n);
      }
    }
  }
}

// The same program through LinuxCNC's stand-alone rs274ngc interpreter
// (Debian package linuxcnc-uspace), when it is installed: it must run the
// program to its end, and the deepest feed at every hole must be the depth
// our own reader found there. LinuxCNC keeps canned cycles in the motion
// group, FANUC does not: after G80 the trailer's "X Y" line is a rapid move
// on the machine, so the copy handed to rs274 gets its G00 written out.
TEST_F(NcWriterTest, BigProgramRunsThroughTheRs274Interpreter) {
  if (std::system("command -v rs274 >/dev/null 2>&1") != 0) GTEST_SKIP() << "rs274 (linuxcnc-uspace) is not installed";
  Config("");
  Job(BigJob());
  ASSERT_EQ(Write(), 0) << LastErrorBox();
  std::string program = Bytes(Nc("O4321.nc"));
  ReadBack reading = ReadBackProgram(program);
  ASSERT_TRUE(reading.problems.empty());
  std::size_t trailer = program.rfind("\r\nX0. Y0.\r\n");
  ASSERT_NE(trailer, std::string::npos);
  program.insert(trailer + 2, "G00 ");
  std::string table;
  for (int t = 0; t < 100; ++t) table += common::FormatText("T%d P%d Z0 D1 ;\n", t, t);
  ASSERT_TRUE(common::WriteFileAtomic(folder / "rs274.nc", program));
  ASSERT_TRUE(common::WriteFileAtomic(folder / "tools.tbl", table));
  std::string command = "cd '" + folder.string() + "' && rs274 -g -t tools.tbl rs274.nc rs274.out >rs274.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << Bytes(folder / "rs274.log");

  // Deepest feed per position, as the interpreter moved and as we read it.
  std::map<std::pair<long, long>, double> moved, expected;
  auto key = [](double x, double y) { return std::make_pair(std::lround(x * 1000), std::lround(y * 1000)); };
  std::string out = Bytes(folder / "rs274.out");
  for (std::size_t at = out.find("STRAIGHT_FEED("); at != std::string::npos; at = out.find("STRAIGHT_FEED(", at + 1)) {
    double x = 0, y = 0, z = 0;
    ASSERT_EQ(std::sscanf(out.c_str() + at, "STRAIGHT_FEED(%lf, %lf, %lf", &x, &y, &z), 3);
    auto [it, fresh] = moved.emplace(key(x, y), z);
    if (!fresh) it->second = std::min(it->second, z);
  }
  for (const gcode::Hole& h : reading.program.holes) {
    auto [it, fresh] = expected.emplace(key(h.xMm, h.yMm), h.bottomMm);
    if (!fresh) it->second = std::min(it->second, h.bottomMm);
  }
  ASSERT_EQ(expected.size(), 4u * 98u);
  ASSERT_EQ(moved.size(), expected.size());
  for (const auto& [position, z] : expected) {
    ASSERT_TRUE(moved.count(position));
    EXPECT_NEAR(moved[position], z, 1e-6);
  }
}

// The read-back must catch what breaks a tool; otherwise the test above
// proves nothing.
TEST(ReadBack, CatchesUnsoundPrograms) {
  const char* sound = "%\r\nO1\r\nT1\r\nM06\r\nG90 G00 G54 X0. Y0.\r\nG43 H01 Z50.\r\nS100 M03\r\nM08\r\n"
                      "G81 X1. Y1. R2. Z-3. F50\r\nG80\r\nM09\r\nM05\r\nM30\r\n%\r\n";
  EXPECT_EQ(ReadBackProgram(sound).problems.size(), 0u);
  std::string deep = sound;
  deep.replace(deep.find("Z-3."), 4, "Z3.5");  // Z above R
  EXPECT_GT(ReadBackProgram(deep).problems.size(), 0u);
  std::string noSpindle = sound;
  noSpindle.replace(noSpindle.find("S100 M03"), 8, "S100");
  EXPECT_GT(ReadBackProgram(noSpindle).problems.size(), 0u);
  std::string lf = sound;
  lf.erase(lf.find('\r'), 1);
  EXPECT_GT(ReadBackProgram(lf).problems.size(), 0u);
  std::string peck = sound;
  peck.replace(peck.find("G81"), 3, "G83");  // no Q
  EXPECT_GT(ReadBackProgram(peck).problems.size(), 0u);
}

}  // namespace
}  // namespace drilling::testing
