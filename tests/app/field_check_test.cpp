#include "Drilling/app/field_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/app_fixture.h"

using namespace drilling;

namespace {

class FieldCheckTest : public testsupport::AppFixture {};

// Each check's result and the exact line it reports (empty: none), the
// field named and the offending text shown in brackets.
TEST_F(FieldCheckTest, ResultsAndTheLinesTheyReport) {
  using Check = std::function<int(Context&)>;
  const std::string fortyFive(45, '7');
  struct Case {
    const char* what;
    Check check;
    int result;
    std::string line;
  };
  const Case cases[] = {
      {"number", [](Context& c) { return CheckNumberText(c, nullptr, "12.5", "穴　径", nullptr); }, kNumberGiven, ""},
      {"blank", [](Context& c) { return CheckNumberText(c, nullptr, "  ", "穴　径", nullptr); }, kNumberBlank, ""},
      {"not a number", [](Context& c) { return CheckNumberText(c, nullptr, "1a", "穴　径", nullptr); }, kFailed,
       "エラー：穴　径 [1a] は数値ではありません。"},
      {"fits", [](Context& c) { return CheckFitText(c, nullptr, "S45C", 8, "材質"); }, kDone, ""},
      {"one byte over", [](Context& c) { return CheckFitText(c, nullptr, "STAVAX-E", 8, "材質"); }, kFailed,
       "エラー：材質 [STAVAX-E] が長すぎます（7 バイトまで）。"},
      {"shown cut after 40 bytes",
       [&](Context& c) { return CheckFitText(c, nullptr, fortyFive, 16, "深さ"); }, kFailed,
       "エラー：深さ [" + std::string(40, '7') + "…] が長すぎます（15 バイトまで）。"},
      {"no room", [](Context& c) { return CheckFitText(c, nullptr, "", 0, "深さ"); }, kFailed,
       "エラー：深さ [] が長すぎます（0 バイトまで）。"},
      {"one line", [](Context& c) { return CheckLineText(c, nullptr, "ドリル", "種類"); }, kDone, ""},
      {"line break", [](Context& c) { return CheckLineText(c, nullptr, "a\nb", "種類"); }, kFailed,
       "エラー：種類 に改行や NUL 文字は使えません。"},
  };
  for (const Case& c : cases) {
    ui.boxes.clear();
    EXPECT_EQ(c.check(ctx), c.result) << c.what;
    if (c.line.empty()) {
      EXPECT_TRUE(ui.boxes.empty()) << c.what;
    } else {
      ASSERT_EQ(ui.boxes.size(), 1u) << c.what;
      EXPECT_EQ(ui.boxes.back().text, c.line) << c.what;
    }
  }
}

}  // namespace
