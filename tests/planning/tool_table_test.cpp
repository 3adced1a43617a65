#include "Drilling/planning/tool_table.h"

#include <gtest/gtest.h>

#include "common/profile.h"
#include "planning/planning_fixture.h"

namespace drilling {
namespace {

class ToolTable : public testsupport::PlanningFixture {
 protected:
  std::filesystem::path Table() const { return folder / "MCTOOL.ini"; }
  void Pocket(int n, const std::string& name, const std::string& diam, const std::string& h = "",
              const std::string& d = "") {
    std::string s = "MAGAZINE" + std::to_string(n);
    common::WriteProfileText(s, "NAME", name, Table());
    common::WriteProfileText(s, "DIAM", diam, Table());
    common::WriteProfileText(s, "T", std::to_string(n), Table());
    common::WriteProfileText(s, "H", h, Table());
    common::WriteProfileText(s, "D", d, Table());
  }
  // T of the pocket found, or -1.
  double Find(const std::string& name, double diameter) {
    MagazineTool tool;
    tool.Diameter = diameter;
    return FindMagazineTool(name, tool, Table()) == 1 ? tool.T : -1;
  }
};

TEST_F(ToolTable, ListPurposeCreatesAMissingFileAndStillFails) {
  std::filesystem::path path;
  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::Planning, path), -1);
  EXPECT_EQ(LastBox(), "エラー：工具ファイル " + Table().string() + " が存在しません");
  EXPECT_FALSE(std::filesystem::exists(Table()));

  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::List, path), -1);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "ファイル " + Table().string() + " が存在しません");
  EXPECT_EQ(lines.back(), "工具リストファイルを新規に作成します。");
  std::string bytes = testsupport::ReadBytes(Table());
  EXPECT_EQ(bytes.substr(0, 48), "[MAGAZINE1]\r\nNAME=\r\nDIAM=\r\nT=1\r\nH=\r\nD=\r\n[MAGAZIN");
  EXPECT_NE(bytes.find("[MAGAZINE99]\r\nNAME=\r\nDIAM=\r\nT=99\r\nH=\r\nD=\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("MAGAZINE100"), std::string::npos);
  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::Planning, path), 0);
  EXPECT_EQ(path, Table());

  WriteConfig("[Drilling]\nToolTable=\n");
  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::List, path), -1);
  EXPECT_EQ(LastBox(), "エラー：工具リスト登録ファイルの定義がありません");
  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::Planning, path), -1);
  EXPECT_EQ(LastBox(), "エラー：工具登録ファイルの定義がありません");
}

TEST_F(ToolTable, AFolderInPlaceOfTheFileOrAFileThatCannotBeMadeIsAnError) {
  std::filesystem::create_directory(Table());
  std::filesystem::path path;
  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::List, path), -1);
  EXPECT_EQ(LastBox(), "エラー：工具ファイル " + Table().string() + " はファイルではありません");

  WriteConfig("[Drilling]\nToolTable=missing/MCTOOL.ini\n");
  EXPECT_EQ(LocateToolTable(ctx, nullptr, ToolTablePurpose::List, path), -1);
  EXPECT_EQ(LastBox(), "エラー：工具リストファイル " + (folder / "missing/MCTOOL.ini").string() + " を作成できません。");
}

TEST_F(ToolTable, FindTakesTheFirstExactPocketAndTheLastDiameterlessCentreDrill) {
  ASSERT_EQ(CreateToolTable(Table()), 0);
  Pocket(2, "ドリル", "6.80", "12", "");
  Pocket(4, "ドリル", "6.8");
  Pocket(3, "センタードリル", "");
  Pocket(7, "センタードリル", "", "40", "41");
  Pocket(9, "センタードリル", "2");
  Pocket(10, "エンドミル", "");
  Pocket(11, "面取りカッター", "");
  Pocket(99, "リーマ", "10");
  Pocket(12, "ドリル", "12.34567");  // hand-edited, wider than the dialog writes: read whole

  MagazineTool tool;
  tool.Diameter = 6.8;
  ASSERT_EQ(FindMagazineTool("ドリル", tool, Table()), 1);
  EXPECT_EQ(tool.T, 2);
  EXPECT_EQ(tool.H, 12);
  EXPECT_EQ(tool.D, 2);  // empty D: the pocket number

  tool = MagazineTool{};
  tool.Diameter = 3;
  ASSERT_EQ(FindMagazineTool("センタードリル", tool, Table()), 1);
  EXPECT_EQ(tool.T, 7);
  EXPECT_EQ(tool.H, 7);  // H and D of such a pocket are not read
  EXPECT_EQ(tool.D, 7);
  EXPECT_EQ(Find("センタードリル", 2), 9);  // an exact pocket after it wins
  EXPECT_EQ(Find("面取りカッター", 0), 11);
  EXPECT_EQ(Find("エンドミル", 14), -1);  // other tools need a diameter
  EXPECT_EQ(Find("ドリル", 7), -1);
  EXPECT_EQ(Find("ドリル", 12.34567), 12);
  EXPECT_EQ(Find("ドリル", 12.3456), -1);
  EXPECT_EQ(Find("リーマ", 10), -1);  // pocket 99 is never searched
  EXPECT_EQ(Find("ﾄﾞﾘﾙ", 6.8), -1);
  EXPECT_EQ(Find("", 0), -1);
}

TEST_F(ToolTable, UpdateAndDeleteWriteThePocketOfTheTypedNumber) {
  ASSERT_EQ(CreateToolTable(Table()), 0);
  EXPECT_EQ(UpdateMagazinePocket(ctx, nullptr, {"ドリル", "6.8", "05", "", ""}), 0);
  EXPECT_EQ(lines.back(), "T05 の工具情報を更新しました。");
  EXPECT_EQ(common::ReadProfileText("MAGAZINE5", "T", "", 8, Table()), "05");
  EXPECT_EQ(common::ReadProfileText("MAGAZINE5", "H", "", 8, Table()), "05");
  EXPECT_EQ(Find("ドリル", 6.8), 5);

  // Text that is no pocket number, or a value that does not fit, is refused
  // with the field named; the table is not touched.
  const std::string table = testsupport::ReadBytes(Table());
  struct Bad {
    ToolListFields fields;
    std::string box;
  };
  const Bad bad[] = {
      {{"タップ", "10", "abc", "1", "1"}, "エラー：Ｔ [abc] は 1 から 98 までの番号で入力して下さい。"},
      {{"タップ", "10", "-5", "", ""}, "エラー：Ｔ [-5] は 1 から 98 までの番号で入力して下さい。"},
      {{"タップ", "10", "0", "", ""}, "エラー：Ｔ [0] は 1 から 98 までの番号で入力して下さい。"},
      {{"タップ", "10", "99", "", ""}, "エラー：Ｔ [99] は 1 から 98 までの番号で入力して下さい。"},
      {{"リーマ", "10", "1234", "", ""}, "エラー：Ｔ [1234] が長すぎます（3 バイトまで）。"},
      {{"タップ", "10", "7", "x", ""}, "エラー：Ｈ [x] は 1 から 999 までの番号で入力して下さい。"},
      {{"タップ", "1O", "7", "", ""}, "エラー：工具径 [1O] は数値ではありません。"},
      {{"タップ", "12345678", "7", "", ""}, "エラー：工具径 [12345678] が長すぎます（7 バイトまで）。"},
      {{"タップ\n[MAGAZINE1]", "10", "7", "", ""}, "エラー：工具名 に改行や NUL 文字は使えません。"},
  };
  for (const Bad& b : bad) {
    EXPECT_LT(UpdateMagazinePocket(ctx, nullptr, b.fields), 0) << b.box;
    EXPECT_EQ(LastBox(), b.box);
  }
  EXPECT_LT(DeleteMagazinePocket(ctx, nullptr, "abc"), 0);
  EXPECT_EQ(testsupport::ReadBytes(Table()), table);

  std::size_t before = lines.size();
  EXPECT_LT(UpdateMagazinePocket(ctx, nullptr, {"", "6.8", "5", "", ""}), 0);
  EXPECT_EQ(LastBox(), "エラー：工具名取出し失敗");
  EXPECT_LT(UpdateMagazinePocket(ctx, nullptr, {"ドリル", "6.8", "", "", ""}), 0);
  EXPECT_EQ(LastBox(), "エラー：工具番号取出し失敗");
  EXPECT_LT(DeleteMagazinePocket(ctx, nullptr, ""), 0);
  EXPECT_EQ(LastBox(), "エラー：工具番号取出し失敗");
  EXPECT_EQ(lines.size(), before + 3);

  EXPECT_EQ(DeleteMagazinePocket(ctx, nullptr, "5"), 0);
  EXPECT_EQ(lines.back(), "T05 の工具情報を削除しました。");
  EXPECT_EQ(Find("ドリル", 6.8), -1);
  EXPECT_NE(testsupport::ReadBytes(Table()).find("[MAGAZINE5]\r\nNAME=\r\nDIAM=\r\nT=5\r\nH=\r\nD=\r\n"),
            std::string::npos);
}

TEST_F(ToolTable, ListLinesSplitBackIntoTheirFields) {
  MagazinePocket p{7, "センタードリル", "-", 7, 7};
  EXPECT_EQ(FormatToolListLine(p), "センタードリル       -        7      7      7");
  ToolListFields f = SplitToolListLine(FormatToolListLine(p));
  EXPECT_EQ(f.name, "センタードリル");
  EXPECT_EQ(f.diameter, "");  // "-" is no diameter: updating keeps none
  EXPECT_EQ(f.t, "7");

  // A name that fills its column, a name with a blank, an H of ten digits.
  for (const MagazinePocket& q : {MagazinePocket{12, "ロングネームエンドミル１", "12.5", 12, 12},
                                  MagazinePocket{3, "ﾄﾞﾘﾙ 3", "3", 3, 3},
                                  MagazinePocket{98, "タップ", "1234567", 2147483647, 5}}) {
    ToolListFields g = SplitToolListLine(FormatToolListLine(q));
    EXPECT_EQ(g.name, q.name);
    EXPECT_EQ(g.diameter, q.diameter);
    EXPECT_EQ(g.t, std::to_string(q.pocket));
    EXPECT_EQ(g.h, std::to_string(q.h));
    EXPECT_EQ(g.d, std::to_string(q.d));
  }

  // Hand-typed values a line could not split back: the list shows them
  // another way, and the line splits into what it shows.
  for (auto [diameter, shown] : {std::pair{"8 5", "8"}, std::pair{"  ", "-"}, std::pair{" 6.8\t", "6.8"}}) {
    MagazinePocket q{4, "ドリル 2", diameter, 4, 4};
    ToolListFields g = SplitToolListLine(FormatToolListLine(q));
    EXPECT_EQ(g.name, "ドリル 2") << diameter;
    EXPECT_EQ(g.diameter, std::string(shown) == "-" ? "" : shown) << diameter;
    EXPECT_EQ(g.t, "4") << diameter;
  }
  testsupport::WriteBytes(Table(), "[MAGAZINE1]\r\nNAME=\"  \"\r\nDIAM=3\r\n[MAGAZINE2]\r\nNAME=T\r\n");
  auto pockets = ReadMagazinePockets(Table());
  ASSERT_EQ(pockets.size(), 1u) << "a name of blanks only is a free pocket";
  EXPECT_EQ(pockets[0].pocket, 2);
}

TEST_F(ToolTable, HugeTablesAndLongNamesAreReadWithinTheirLimits) {
  std::string text;
  for (int n = 1; n <= 10000; ++n)
    text += "[MAGAZINE" + std::to_string(n) + "]\r\nNAME=ドリル\r\nDIAM=" + std::to_string(n) + "\r\n";
  testsupport::WriteBytes(Table(), common::Utf8ToCp932(text));
  EXPECT_EQ(ReadMagazinePockets(Table()).size(), 98u);
  EXPECT_EQ(Find("ドリル", 98), 98);
  EXPECT_EQ(Find("ドリル", 99), -1);

  std::string longName;
  for (int i = 0; i < 500; ++i) longName += "ド";  // 1,000 bytes
  testsupport::WriteBytes(Table(), common::Utf8ToCp932("[MAGAZINE1]\r\nNAME=" + longName + "\r\nDIAM=1\r\n"));
  auto pockets = ReadMagazinePockets(Table());
  ASSERT_EQ(pockets.size(), 1u);
  EXPECT_EQ(pockets[0].name.size(), 15u * 3);  // 15 characters = 30 bytes of the 31
  EXPECT_EQ(Find(longName, 1), -1);
  EXPECT_EQ(Find(pockets[0].name, 1), 1);
  // Typed, it is refused rather than cut.
  EXPECT_LT(UpdateMagazinePocket(ctx, nullptr, {longName, "1", "2", "", ""}), 0);
  EXPECT_EQ(common::ReadProfileText("MAGAZINE2", "NAME", "", 2000, Table()), "");
}

}  // namespace
}  // namespace drilling
