// The read-back check on the shipped sample job: its program as written
// matches its plan; each kind of hand edit (or writer fault) is one named
// difference: process, position, program line.
#include "Drilling/ncout/nc_verify.h"

#include <gtest/gtest.h>

#include "Drilling/ncout/nc_writer.h"
#include "common/profile.h"
#include "common/textfile.h"
#include "ncout/ncout_support.h"

namespace fs = std::filesystem;

namespace drilling::testing {
namespace {

class NcVerifyTest : public NcFolderTest {
 protected:
  NcVerifyTest() {
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "Drilling.ini", ctx.configPath);
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "DB" / "SAMPLE-PLATE.ini", ctx.currentJobPath,
                  fs::copy_options::overwrite_existing);
    common::ForgetCachedProfiles();
    ncPath = folder / "ncdata" / "O1001.nc";
  }
  void Write() {
    ASSERT_EQ(WriteNcProgram(ctx, nullptr, "FANUC 0I-MF", &plan), 0) << LastErrorBox();
    program = Bytes(ncPath);
  }
  // The program with `from` (its first occurrence) replaced by `to`.
  std::string Edited(const std::string& from, const std::string& to) const {
    std::string edited = program;
    std::size_t at = edited.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) edited.replace(at, from.size(), to);
    return edited;
  }

  fs::path ncPath;
  NcPlan plan;
  std::string program;
};

TEST_F(NcVerifyTest, EachEditOfTheProgramIsNamedByProcessPositionAndLine) {
  Write();
  const NcComparison same = CompareProgramWithPlan(plan, program);
  EXPECT_TRUE(same.differences.empty()) << same.differences.front();
  EXPECT_EQ(HolesPerToolText(same), "T01 8穴、T23 6穴、T02 6穴、T48 2穴、T24 2穴、T58 2穴、計 26 穴");

  // Lines 39-40 of the program: "G83 X15. Y15. R2. Z-25. Q8.5 F88", "X135. Y15." (process 2, group 1).
  const std::string cycle = "G83 X15. Y15. R2. Z-25. Q8.5 F88\r\n";
  const struct {
    const char* what;
    std::string from, to;
    std::size_t count;
    std::string first;
  } cases[] = {
      {"a hole line deleted", cycle + "X135. Y15.\r\n", cycle, 1,
       "工程[2] 穴情報[1] 2 番目 X135. Y15. がプログラムにありません（39 行目の後）"},
      {"a hole line doubled", cycle + "X135. Y15.\r\n", cycle + "X135. Y15.\r\nX135. Y15.\r\n", 1,
       "プログラム 41 行目：工程[2] にない穴 X135. Y15.（T23 G83 Z-25.）"},
      {"a hole moved", "F72\r\nX135. Y15.\r\n", "F72\r\nX135.5 Y15.\r\n", 2,
       "工程[1] 穴情報[1] 2 番目 X135. Y15. がプログラムにありません（16 行目の後）"},
      {"the depth", cycle, "G83 X15. Y15. R2. Z-20. Q8.5 F88\r\n", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：Z がジョブ -25.／プログラム -20."},
      {"the R level", cycle, "G83 X15. Y15. R5. Z-25. Q8.5 F88\r\n", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：R がジョブ 2.／プログラム 5."},
      {"the peck", cycle, "G83 X15. Y15. R2. Z-25. Q3. F88\r\n", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：Q がジョブ 8.5／プログラム 3."},
      {"the feed", cycle, "G83 X15. Y15. R2. Z-25. Q8.5 F80\r\n", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：F がジョブ 88／プログラム 80"},
      {"the cycle", cycle, "G81 X15. Y15. R2. Z-25. F88\r\n", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：G がジョブ G83／プログラム G81、Q がジョブ 8.5／プログラム なし"},
      {"the tool", "T23\r\nM06\r\n", "T24\r\nM06\r\n", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：T がジョブ T23／プログラム T24"},
      {"the length offset", "G43 H23 Z50.", "G43 H24 Z50.", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：H がジョブ H23／プログラム H24"},
      {"the speed", "S740 M03", "S700 M03", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：S がジョブ 740／プログラム 700"},
      {"the spindle left stopped", "S740 M03", "S740", 4,
       "工程[2] 穴情報[1] 1 番目 X15. Y15.（39 行目）：S がジョブ 740／プログラム 740（主軸停止）"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const NcComparison diff = CompareProgramWithPlan(plan, Edited(c.from, c.to));
    EXPECT_EQ(diff.differences.size(), c.count);
    ASSERT_FALSE(diff.differences.empty());
    EXPECT_EQ(diff.differences.front(), c.first);
  }
}

// A writer fault (here: a plan the program does not follow) fails the
// creation; the program stays for inspection.
TEST_F(NcVerifyTest, AProgramThatDiffersFromItsPlanIsReportedAndKept) {
  Write();
  std::string verified;
  ASSERT_EQ(VerifyWrittenProgram(ctx, nullptr, plan, ncPath, verified), 0);
  EXPECT_EQ(verified, "ＮＣデータ照合済み " + ncPath.string() +
                          "（T01 8穴、T23 6穴、T02 6穴、T48 2穴、T24 2穴、T58 2穴、計 26 穴）");

  plan.processes[6].cycle.zMm = -30;  // process 7: the drill of group 3
  lines.clear();
  EXPECT_EQ(VerifyWrittenProgram(ctx, nullptr, plan, ncPath, verified), -1);
  EXPECT_EQ(ErrorBoxCount(), 1);
  EXPECT_EQ(LastErrorBox().rfind("エラー：書いたＮＣデータ " + ncPath.string() +
                                     " を読み返すとジョブと 2 か所違います（工程[7] 穴情報[3] 1 番目 X75. Y25.（",
                                 0),
            0u)
      << LastErrorBox();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find("工程[7] 穴情報[3] 2 番目 X75. Y75."), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("Z がジョブ -30.／プログラム -25."), std::string::npos) << lines[1];
  EXPECT_EQ(Bytes(ncPath), program) << "kept for inspection";
}

}  // namespace
}  // namespace drilling::testing
