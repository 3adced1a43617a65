#include "Drilling/job/material_dialog.h"

#include "Drilling/app/field_check.h"
#include "Drilling/app/main_controls.h"
#include "Drilling/app/number_text.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "common/profile.h"
#include "common/text.h"

namespace drilling {

using common::ControlKind;

namespace {
constexpr std::size_t kSizeRoom = jobkey::kStockX.room;       // as the job file keeps them
constexpr std::size_t kMaterialRoom = jobkey::kMaterial.room;  // as the job file keeps it
constexpr int kMaterialDialogIcon = 102;
}  // namespace

const common::DialogTemplate& MaterialDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "INPUTWORKSIZEDLG";
    t.caption = "材料定義";
    t.width = 196;
    t.height = 116;
    t.menuName = "SETTINGMENU";
    t.iconId = kMaterialDialogIcon;
    t.controls = {
        {common::kStaticId, ControlKind::Label, "Ｘ－寸法", 10, 10, 50, 10},
        {kMaterialSizeXEdit, ControlKind::Edit, "", 64, 8, 60, 14},
        {common::kStaticId, ControlKind::Label, "Ｙ－寸法", 10, 28, 50, 10},
        {kMaterialSizeYEdit, ControlKind::Edit, "", 64, 26, 60, 14},
        {common::kStaticId, ControlKind::Label, "厚み寸法", 10, 46, 50, 10},
        {kMaterialThicknessEdit, ControlKind::Edit, "", 64, 44, 60, 14},
        {common::kStaticId, ControlKind::Label, "材質", 10, 64, 50, 10},
        {kMaterialNameCombo, ControlKind::ComboEdit, "", 64, 62, 60, 100, common::kUpperCase},
        {common::kStaticId, ControlKind::GroupBox, "原点", 132, 4, 58, 106},
        {kOriginLowerLeftRadio, ControlKind::Radio, "左下", 140, 18, 44, 12, common::kGroupStart},
        {kOriginUpperLeftRadio, ControlKind::Radio, "左上", 140, 36, 44, 12},
        {kOriginLowerRightRadio, ControlKind::Radio, "右下", 140, 54, 44, 12},
        {kOriginUpperRightRadio, ControlKind::Radio, "右上", 140, 72, 44, 12},
        {kOriginCentreRadio, ControlKind::Radio, "中心", 140, 90, 44, 12},
    };
    t.menu = {
        {"【 保 存 】", kSettingSave, {}},
        {"【 取 消 】", kSettingCancel, {}},
        {"【 ヘルプ 】", kSettingHelp, {}},
    };
    return t;
  }();
  return tpl;
}

int InitMaterialDialog(Context& ctx, common::Form& dialog) {
  const std::vector<std::string> materials = ReadConfigList(ctx, filekeys::config::kMaterialList);
  for (std::size_t i = 0; i < materials.size(); ++i)
    dialog.InsertEntry(kMaterialNameCombo, static_cast<int>(i), materials[i]);
  if (common::Form* main = dialog.Owner()) {
    struct Copy {
      int from;
      int to;
    };
    static const Copy kCopies[] = {
        {kStockXEdit, kMaterialSizeXEdit},
        {kStockYEdit, kMaterialSizeYEdit},
        {kStockZEdit, kMaterialThicknessEdit},
        {kMaterialCombo, kMaterialNameCombo},
    };
    for (const Copy& c : kCopies) {
      std::string value = main->Text(c.from, kSizeRoom);
      if (!value.empty()) dialog.SetText(c.to, value);
    }
  }
  dialog.CheckRadio(kOriginLowerLeftRadio, kOriginCentreRadio, kOriginLowerLeftRadio);
  // A stored choice outside 0-4 leaves no button checked (the save then
  // takes the centre).
  // The choice is tested before it is added to an identifier: a huge value
  // in the file must not overflow.
  const int choice = ReadConfigInt(ctx, filekeys::config::kOriginCorner, 0);
  const int checked = choice >= 0 && choice <= kOriginCentreRadio - kOriginLowerLeftRadio
                          ? kOriginLowerLeftRadio + choice
                          : 0;
  dialog.CheckRadio(kOriginLowerLeftRadio, kOriginCentreRadio, checked);
  return 0;
}

int ApplyMaterialDefinition(Context& ctx, common::Form& dialog) {
  common::Form* main = dialog.Owner();
  if (!main) return -1;
  // A typed value that is not a number, or does not fit the field the main
  // form and the job file keep it in, is refused before anything is copied.
  static const std::pair<int, const char*> kNumbers[] = {
      {kMaterialSizeXEdit, "Ｘ－寸法"}, {kMaterialSizeYEdit, "Ｙ－寸法"}, {kMaterialThicknessEdit, "厚み寸法"}};
  for (const auto& [id, name] : kNumbers)
    if (ReadNumberField(ctx, dialog, id, kSizeRoom, name, nullptr) == kFailed) return kFailed;
  if (ReadTextField(ctx, dialog, kMaterialNameCombo, kMaterialRoom, "材質", nullptr) != kDone) return kFailed;

  std::string x = dialog.Text(kMaterialSizeXEdit, kSizeRoom);
  if (x.empty()) return -1;
  main->SetText(kStockXEdit, x);
  const double sizeX = common::ParseLeadingDouble(x);

  std::string y = dialog.Text(kMaterialSizeYEdit, kSizeRoom);
  if (y.empty()) return -1;
  main->SetText(kStockYEdit, y);
  const double sizeY = common::ParseLeadingDouble(y);

  std::string z = dialog.Text(kMaterialThicknessEdit, kSizeRoom);
  if (z.empty()) return -1;
  main->SetText(kStockZEdit, z);

  std::string material = dialog.Text(kMaterialNameCombo, kMaterialRoom);
  if (material.empty()) return -1;
  main->SetText(kMaterialCombo, material);

  // The origin is measured from the lower left corner of the stock.
  double originX = sizeX / 2;
  double originY = sizeY / 2;
  if (dialog.IsChecked(kOriginLowerLeftRadio)) {
    originX = 0;
    originY = 0;
  } else if (dialog.IsChecked(kOriginUpperLeftRadio)) {
    originX = 0;
    originY = sizeY;
  } else if (dialog.IsChecked(kOriginLowerRightRadio)) {
    originX = sizeX;
    originY = 0;
  } else if (dialog.IsChecked(kOriginUpperRightRadio)) {
    originX = sizeX;
    originY = sizeY;
  }
  main->SetText(kOriginXEdit, FormatNumber(originX, 0));
  main->SetText(kOriginYEdit, FormatNumber(originY, 0));
  return 0;
}

common::DialogProc MaterialDialogProc(Context& ctx) {
  return [&ctx](common::Form& dialog, common::DialogEvent event, int id) {
    switch (event) {
      case common::DialogEvent::Init:
        InitMaterialDialog(ctx, dialog);
        break;
      case common::DialogEvent::Command:
        if (id == kSettingSave) {
          if (ApplyMaterialDefinition(ctx, dialog) == kDone) dialog.End(0);
        } else if (id == kSettingCancel) {
          dialog.End(-1);
        }
        break;  // help (40072): nothing
      case common::DialogEvent::Close:
        dialog.End(-1);
        break;
      default:
        break;
    }
  };
}

int RunMaterialDialog(Context& ctx, common::Form& main) {
  if (!ctx.ui) return -1;
  return ctx.ui->RunModal(&main, MaterialDialogTemplate(), MaterialDialogProc(ctx));
}

}  // namespace drilling
