#include "Drilling/holes/hole_dialog_template.h"

#include "Drilling/holes/hole_controls.h"
#include "common/text.h"

namespace drilling {

using common::ControlKind;
using common::ControlTemplate;

namespace {

// The field labels and column headings are flat buttons without a command.
ControlTemplate Caption(const char* text, int x, int y, int width, int height) {
  return {common::kStaticId, ControlKind::Button, text, x, y, width, height};
}

}  // namespace

const common::DialogTemplate& HoleDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "HOLEDEFINEDIALOG";
    t.caption = "穴情報登録";
    t.width = 267;
    t.height = 195;
    t.menuName = "HOLEDEFINEMENU";
    t.iconId = 102;

    auto& c = t.controls;
    c.push_back(Caption("穴の種類", 4, 4, 38, 12));
    c.push_back({kHoleTypeCombo, ControlKind::ComboEdit, "", 44, 4, 128, 100});

    // Three columns of size fields: hole, pilot hole, counterbore.
    struct Size {
      int id;
      const char* label;
      int column;
      int line;
    };
    static const Size kSizes[] = {
        {kHoleDiameterEdit, "穴　径", 0, 0},  {kHoleDepthEdit, "穴深さ", 0, 1},
        {kChamferDepthEdit, "面取切込", 0, 2}, {kPilotDiameterEdit, "下穴径", 1, 0},
        {kPilotDepthEdit, "下穴深", 1, 1},    {kPitchEdit, "ピッチ", 1, 2},
        {kCboreDiameterEdit, "座　径", 2, 0}, {kCboreDepthEdit, "座深さ", 2, 1},
    };
    for (const Size& s : kSizes) {
      int x = 4 + s.column * 88;
      int y = 22 + s.line * 14;
      c.push_back(Caption(s.label, x, y, 38, 12));
      c.push_back({s.id, ControlKind::Edit, "", x + 40, y, 44, 12});
    }

    // Position rows: 1-10 in the left column, 11-20 in the right one.
    for (int column = 0; column < 2; ++column) {
      int x = 4 + column * 132;
      c.push_back(Caption("No", x, 66, 22, 11));
      c.push_back(Caption("Ｘ座標", x + 24, 66, 50, 11));
      c.push_back(Caption("Ｙ座標", x + 76, 66, 50, 11));
      for (int k = 0; k < kHoleRows / 2; ++k) {
        int row = column * (kHoleRows / 2) + k + 1;
        int y = 79 + k * 11;
        c.push_back({kHoleRow1Button + row - 1, ControlKind::Button, common::FormatText("[%02d]", row), x, y, 22, 11});
        c.push_back({kHoleX1Edit + row - 1, ControlKind::Edit, "", x + 24, y, 50, 11});
        c.push_back({kHoleY1Edit + row - 1, ControlKind::Edit, "", x + 76, y, 50, 11});
      }
    }

    const common::MenuItem separator{};
    t.menu = {
        {"データ",
         0,
         {{"保 存", kHoleCmdSave, {}}, separator, {"読 込", kHoleCmdLoad, {}}, separator, {"取 消", kHoleCmdCancel, {}}}},
        {"計算", 0, {{"円上の座標計算", kHoleCmdCircle, {}}, {"基点からの座標移動", kHoleCmdMoveBase, {}}}},
        {"【 保 存 】", kHoleCmdSave, {}},
        {"【 読 込 】", kHoleCmdLoad, {}},
        {"【 取 消 】", kHoleCmdCancel, {}},
        {"【 ヘルプ 】", kHoleCmdHelp, {}},
    };
    return t;
  }();
  return tpl;
}

}  // namespace drilling
