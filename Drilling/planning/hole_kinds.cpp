#include "Drilling/planning/hole_kinds.h"

#include "Drilling/job/hole_controls.h"
#include "Drilling/job/job_file.h"

namespace drilling {
namespace {

// What generation reports when a group lacks a value its plan reads.
constexpr const char* kNoDrillDiameter = "エラー：ドリル穴径の定義が見つかりません。";
constexpr const char* kNoDrillDepth = "エラー：ドリル切込深さの定義が見つかりません。";
constexpr const char* kNoPilotDiameter = "エラー：ドリル下穴径の定義が見つかりません。";
constexpr const char* kNoChamferDepth = "エラー：面取り切込深さの定義が見つかりません。";
constexpr const char* kNoTapDiameter = "エラー：タップ穴径の定義が見つかりません。";
constexpr const char* kNoTapDepth = "エラー：タップ切込深さの定義が見つかりません。";
constexpr const char* kNoCboreDiameter = "エラー：ザグリ穴径の定義が見つかりません。";
constexpr const char* kNoCboreDepth = "エラー：ザグリ切込深さの定義が見つかりません。";
constexpr const char* kNoReamerDiameter = "エラー：リーマ穴径の定義が見つかりません。";
constexpr const char* kNoReamerDepth = "エラー：リーマ切込深さの定義が見つかりません。";

constexpr HoleValue kDrillsDiameter = {nullptr, nullptr};
constexpr HoleValue kNoCircle = {nullptr, nullptr};

// Drills, taps and reamers are chamfered: the chamfer field a counterbore
// disabled comes back with them, so a table's chamfer depth never lands in a
// disabled field.
const HoleKindDescription kKinds[] = {
    {HoleKind::Drill,
     "ドリル",
     {kChamferDepthEdit},
     {kPilotDiameterEdit, kPilotDepthEdit, kPitchEdit, kCboreDiameterEdit, kCboreDepthEdit},
     nullptr,
     nullptr,
     {{{ProcessKind::Drill, {&jobkey::kHoleDiameter, kNoDrillDiameter}, {&jobkey::kHoleDepth, kNoDrillDepth}, false},
       {ProcessKind::Chamfer, kDrillsDiameter, {&jobkey::kChamferDepth, nullptr}, true}}},
     2,
     kNoCircle},
    {HoleKind::Counterbore,
     "ザグリ",
     {kCboreDiameterEdit, kCboreDepthEdit},
     {kChamferDepthEdit, kPilotDiameterEdit, kPilotDepthEdit, kPitchEdit},
     &kCounterboreSizes,
     nullptr,
     {{{ProcessKind::Drill, {&jobkey::kHoleDiameter, kNoDrillDiameter}, {&jobkey::kHoleDepth, kNoDrillDepth}, false},
       {ProcessKind::Counterbore, {&jobkey::kCboreDiameter, kNoCboreDiameter}, {&jobkey::kCboreDepth, kNoCboreDepth},
        false}}},
     2,
     {&jobkey::kCboreDiameter, "[%d] エラー：座穴径が空です"}},
    {HoleKind::Tap,
     "タップ",
     {kChamferDepthEdit, kPilotDiameterEdit, kPilotDepthEdit, kPitchEdit},
     {kCboreDiameterEdit, kCboreDepthEdit},
     &kTapSizes,
     "Tap NcProc Start\n",
     {{{ProcessKind::Drill, {&jobkey::kPilotDiameter, kNoPilotDiameter}, {&jobkey::kPilotDepth, kNoDrillDepth}, false},
       {ProcessKind::Chamfer, kDrillsDiameter, {&jobkey::kChamferDepth, kNoChamferDepth}, false},
       {ProcessKind::Tap, {&jobkey::kHoleDiameter, kNoTapDiameter}, {&jobkey::kHoleDepth, kNoTapDepth}, false}}},
     3,
     {&jobkey::kPilotDiameter, "[%d] エラー：タップ下穴径が空です"}},
    {HoleKind::Reamer,
     "リーマ",
     {kChamferDepthEdit, kPilotDiameterEdit, kPilotDepthEdit, kPitchEdit},
     {kCboreDiameterEdit, kCboreDepthEdit},
     &kReamerSizes,
     "Reamer NcProc Start\n",
     {{{ProcessKind::Drill, {&jobkey::kPilotDiameter, kNoPilotDiameter}, {&jobkey::kPilotDepth, kNoDrillDepth}, false},
       {ProcessKind::Chamfer, kDrillsDiameter, {&jobkey::kChamferDepth, kNoChamferDepth}, false},
       {ProcessKind::Reamer, {&jobkey::kHoleDiameter, kNoReamerDiameter}, {&jobkey::kHoleDepth, kNoReamerDepth},
        false}}},
     3,
     kNoCircle},
};

}  // namespace

std::span<const HoleKindDescription> HoleKinds() { return kKinds; }

const HoleKindDescription* FindHoleKind(std::string_view holeType) {
  for (const HoleKindDescription& kind : kKinds)
    if (holeType.find(kind.word) != std::string_view::npos) return &kind;
  return nullptr;
}

const HoleKindDescription* DescribeHoleKind(HoleKind kind) {
  for (const HoleKindDescription& k : kKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

}  // namespace drilling
