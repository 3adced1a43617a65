// The hole kinds: one order of the words for every part that tells the kinds
// apart (the dialog, the look-up, generation, the drawing), and entries that
// agree with themselves.
#include "Drilling/planning/hole_kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>


namespace drilling {
namespace {

TEST(HoleKinds, TheFirstWordInTheOrderOfTheKindsDecides) {
  const struct {
    const char* type;
    std::optional<HoleKind> kind;
  } cases[] = {
      {"ドリル", HoleKind::Drill},          {"タップ（並目）", HoleKind::Tap},
      {"M12タップ", HoleKind::Tap},         {"ザグリ", HoleKind::Counterbore},
      {"リーマ H7", HoleKind::Reamer},      {"タップザグリ", HoleKind::Counterbore},
      {"リーマドリル", HoleKind::Drill},    {"ザグリドリル", HoleKind::Drill},
      {"リーマタップ", HoleKind::Tap},      {"キー溝", std::nullopt},
      {"", std::nullopt},                  {"ﾄﾞﾘﾙ", std::nullopt},  // half-width kana is another word
  };
  for (const auto& c : cases) {
    const HoleKindDescription* kind = FindHoleKind(c.type);
    ASSERT_EQ(kind != nullptr, c.kind.has_value()) << c.type;
    if (kind) {
      EXPECT_EQ(kind->kind, *c.kind) << c.type;
    }
  }
}

// A field is enabled or disabled, never both; a dimension table fills no
// field its kind disables (the value would be saved unseen);
// every plan starts with its drill, whose diameter the chamfer takes.
TEST(HoleKinds, EveryEntryAgreesWithItself) {
  for (const HoleKindDescription& kind : HoleKinds()) {
    SCOPED_TRACE(kind.word);
    auto listed = [](const std::array<int, 5>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
    for (int id : kind.enabledFields) {
      if (id != 0) {
        EXPECT_FALSE(listed(kind.disabledFields, id)) << id;
      }
    }
    for (int i = 0; kind.sizes && i < kind.sizes->fillCount; ++i) {
      const SizeColumn& fill = kind.sizes->fills[static_cast<std::size_t>(i)];
      EXPECT_LT(fill.column, kind.sizes->width);
      EXPECT_FALSE(listed(kind.disabledFields, fill.field)) << fill.field;
    }
    ASSERT_GE(kind.planCount, 1);
    EXPECT_EQ(kind.plan[0].kind, ProcessKind::Drill);
    EXPECT_NE(kind.plan[0].diameter.key, nullptr);
    for (int i = 0; i < kind.planCount; ++i) {
      const PlannedProcess& p = kind.plan[static_cast<std::size_t>(i)];
      EXPECT_NE(p.depth.key, nullptr);
      EXPECT_TRUE(p.optional || p.depth.missingText) << i;
      EXPECT_TRUE(!p.diameter.key || p.diameter.missingText) << i;
    }
  }
}

}  // namespace
}  // namespace drilling
