#include "Drilling/holes/hole_dialog_template.h"

#include "Drilling/job/hole_controls.h"
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
        // A row label deletes its row: a mouse action only, so that Tab and
        // the space bar never delete a row by surprise.
        c.push_back({kHoleRow1Button + row - 1, ControlKind::Button, common::FormatText("[%02d]", row), x, y, 22, 11,
                     common::kNoTabStop});
        c.push_back({kHoleX1Edit + row - 1, ControlKind::Edit, "", x + 24, y, 50, 11});
        c.push_back({kHoleY1Edit + row - 1, ControlKind::Edit, "", x + 76, y, 50, 11});
      }
    }

    const common::MenuItem separator{};
    t.menu = {
        {"データ",
         0,
         {{"保 存", kHoleCmdSave, {}}, separator, {"読 込", kHoleCmdLoad, {}}, separator, {"取 消", kHoleCmdCancel, {}}}},
        {"計算",
         0,
         {{"円上の座標計算", kHoleCmdCircle, {}},
          {"基点からの座標移動", kHoleCmdMoveBase, {}},
          separator,
          {"加工順最適化", kHoleCmdOrder, {}},
          {"図面から読込", kHoleCmdImport, {}}}},
        {"【 保 存 】", kHoleCmdSave, {}},
        {"【 読 込 】", kHoleCmdLoad, {}},
        {"【 取 消 】", kHoleCmdCancel, {}},
        {"【 ヘルプ 】", kHoleCmdHelp, {}},
    };
    return t;
  }();
  return tpl;
}

namespace {

const std::vector<common::MenuItem>& CalculatorMenu() {
  static const std::vector<common::MenuItem> menu = {
      {"計 算 (&E)", kCalcCmdCalculate, {}},
      {"取 消 (&C)", kCalcCmdClose, {}},
      {"ヘルプ(&H)", kCalcCmdHelp, {}},
  };
  return menu;
}

}  // namespace

const common::DialogTemplate& BoltCircleDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "CALCIRCLECOORDINATEDLG";
    t.caption = "円上等角度の座標計算";
    t.width = 267;
    t.height = 39;
    t.menuName = "CALCULATMENU";
    t.menu = CalculatorMenu();
    t.iconId = 101;
    auto& c = t.controls;
    // Three lines: the circle, the start angle with its note, the count with
    // the reference angle it gives.
    c.push_back(Caption("円 （直径）", 2, 2, 56, 11));
    c.push_back({kCircleDiameterEdit, ControlKind::Edit, "", 60, 2, 40, 11});
    c.push_back(Caption("中心[X]", 104, 2, 36, 11));
    c.push_back({kCircleCentreXEdit, ControlKind::Edit, "", 142, 2, 40, 11});
    c.push_back(Caption("中心[Y]", 186, 2, 36, 11));
    c.push_back({kCircleCentreYEdit, ControlKind::Edit, "", 224, 2, 40, 11});
    c.push_back(Caption("初 期 角 度", 2, 14, 56, 11));
    c.push_back({kCircleStartAngleEdit, ControlKind::Edit, "", 60, 14, 40, 11});
    c.push_back({common::kStaticId, ControlKind::Label, "※Ｘ軸＋が 0度・反時計回り＋角度", 104, 15, 160, 10,
                 common::kAlertText});
    c.push_back(Caption("穴 等 分 数", 2, 26, 56, 11));
    c.push_back({kCircleHoleCountEdit, ControlKind::Edit, "", 60, 26, 40, 11});
    c.push_back(Caption("参考角度", 104, 26, 36, 11));
    c.push_back({kCircleReferenceAngleEdit, ControlKind::Edit, "", 142, 26, 40, 11,
                 common::kReadOnly | common::kAlertText});
    return t;
  }();
  return tpl;
}

const common::DialogTemplate& CoordinateCopyDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "COORDINATEMOVEDLG";
    t.caption = "基点からの座標コピー";
    t.width = 237;
    t.height = 39;
    t.menuName = "CALCULATMENU";
    t.menu = CalculatorMenu();
    t.iconId = 101;
    auto& c = t.controls;
    // Base point, then the X step with its copies, then the Y step with its
    // copies: the Tab order follows the lines.
    struct Field {
      int id;
      const char* label;
      int column;
      int line;
    };
    static const Field kFields[] = {
        {kCopyBaseXEdit, "基点座標 [X]", 0, 0}, {kCopyBaseYEdit, "基点座標 [Y]", 1, 0},
        {kCopyStepXEdit, "Ｘ軸移動距離", 0, 1}, {kCopyCountXEdit, "Ｘ軸複写回数", 1, 1},
        {kCopyStepYEdit, "Ｙ軸移動距離", 0, 2}, {kCopyCountYEdit, "Ｙ軸複写回数", 1, 2},
    };
    for (const Field& f : kFields) {
      int x = 2 + f.column * 118;
      int y = 2 + f.line * 12;
      c.push_back(Caption(f.label, x, y, 58, 11));
      c.push_back({f.id, ControlKind::Edit, "", x + 60, y, 54, 11});
    }
    return t;
  }();
  return tpl;
}

}  // namespace drilling
