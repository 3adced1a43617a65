#include "Drilling/planning/number_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace drilling {
namespace {

// Reads every row; the result that stopped the scan goes to `last`.
std::vector<std::vector<double>> ReadAll(std::string_view text, int width, unsigned negative, RowRead& last,
                                         std::string* problem = nullptr) {
  NumberRowReader reader(text, width, negative);
  std::vector<std::vector<double>> rows;
  double row[kMaxTableRowWidth];
  while ((last = reader.Next(row)) == RowRead::Row) rows.emplace_back(row, row + width);
  if (problem) *problem = reader.Problem();
  return rows;
}

TEST(NumberRowReader, RowsAreGroupsOfTheStreamWhereverTheLinesBreak) {
  RowRead last;
  auto rows = ReadAll("6.8 1200\r\n120\t2.5 7\n 1000 100 3\r\n", 4, 0, last);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<double>{6.8, 1200, 120, 2.5}));
  EXPECT_EQ(rows[1], (std::vector<double>{7, 1000, 100, 3}));
  EXPECT_EQ(last, RowRead::End);
  ReadAll("", 3, 0, last);
  EXPECT_EQ(last, RowRead::End);
  // The end row written short is still the end, not bad data.
  rows = ReadAll("6.8 1200 120 2.5\r\n0\r\n", 4, 0, last);
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_EQ(last, RowRead::End);
}

TEST(NumberRowReader, StopsAtTheFirstThingThatIsNotAPlainNumber) {
  struct Case {
    std::string text;
    std::string problem;
    std::size_t rowsBefore;
  };
  const std::string longNumber = "1" + std::string(9999, '0');
  const Case cases[] = {
      {"3 100 10\n4 abc 10\n5 100 10\n", "2 行目に数値でないデータがあります", 1},
      {"3 100 10\n4 100\n", "2 行目から始まる最後の行の数値が足りません（3 個で 1 行です）", 1},
      {"3 100 10\n4\n100\n", "2 行目から始まる最後の行の数値が足りません（3 個で 1 行です）", 1},
      {"nan 100 10\n", "1 行目に数値でないデータがあります", 0},
      {"3 inf 10\n", "1 行目に数値でないデータがあります", 0},
      {"3 1e999 10\n", "1 行目に数値でないデータがあります", 0},
      {"3 100 " + longNumber + "\n", "1 行目の数値が長すぎます（25 文字以上）", 0},
      {"3 100 10,5\n", "1 行目に数値でないデータがあります", 0},
      {"3 100 10\n\n\n4 100 1O\n", "4 行目に数値でないデータがあります", 1},
  };
  for (const Case& c : cases) {
    RowRead last;
    std::string problem;
    auto rows = ReadAll(c.text, 3, 0, last, &problem);
    EXPECT_EQ(last, RowRead::Bad) << c.text.substr(0, 40);
    EXPECT_EQ(problem, c.problem) << c.text.substr(0, 40);
    EXPECT_EQ(rows.size(), c.rowsBefore) << c.text.substr(0, 40);
  }
}

TEST(NumberRowReader, NegativeValuesOnlyWhereTheColumnAllowsThem) {
  RowRead last;
  auto rows = ReadAll("10 1.5 8.5 -1 -15 -18\n", 6, (1u << 3) | (1u << 4) | (1u << 5), last);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][5], -18);
  // A negative value where the column forbids it is a fault of that row
  // only: the scan goes on, the row tells its problem, the next row is sound.
  NumberRowReader reader("-10 1.5 8.5 -1 -15 -18\n3 -100 10 0 0 0\n12 1 2 -1 -2 -3\n", 6,
                         (1u << 3) | (1u << 4) | (1u << 5));
  double row[kMaxTableRowWidth];
  const char* expected[] = {"1 行目の 1 列目に負の数値があります", "2 行目の 2 列目に負の数値があります", ""};
  for (const char* problem : expected) {
    ASSERT_EQ(reader.Next(row), RowRead::Row);
    EXPECT_EQ(reader.RowProblem(), problem);
  }
  EXPECT_EQ(reader.Next(row), RowRead::End);
  // The look-up that takes a faulty row stops the scan with its problem.
  NumberRowReader taken("3 -100 10\n", 3);
  ASSERT_EQ(taken.Next(row), RowRead::Row);
  EXPECT_EQ(taken.Reject(taken.RowProblem()), RowRead::Bad);
  EXPECT_EQ(taken.Next(row), RowRead::Bad);
  EXPECT_EQ(taken.Problem(), "1 行目の 2 列目に負の数値があります");
}

TEST(LoadTableFile, RefusesWhatIsNotASmallRegularFile) {
  testsupport::TempFolder folder;
  std::string bytes;
  EXPECT_EQ(LoadTableFile(folder / "none.tbl", bytes), TableLoad::Missing);
  std::filesystem::create_directory(folder / "dir.tbl");
  EXPECT_EQ(LoadTableFile(folder / "dir.tbl", bytes), TableLoad::NotReadable);
  testsupport::WriteBytes(folder / "big.tbl", std::string(5 * 1024 * 1024, '1'));
  EXPECT_EQ(LoadTableFile(folder / "big.tbl", bytes), TableLoad::TooLarge);
  EXPECT_TRUE(bytes.empty());
  testsupport::WriteBytes(folder / "ok.tbl", "1 2 3\r\n");
  EXPECT_EQ(LoadTableFile(folder / "ok.tbl", bytes), TableLoad::Ok);
  EXPECT_EQ(bytes, "1 2 3\r\n");
}

}  // namespace
}  // namespace drilling
