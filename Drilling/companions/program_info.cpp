#include "Drilling/companions/program_info.h"

#include <algorithm>
#include <system_error>

#include "Drilling/app/message_channel.h"
#include "common/build_date.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

const std::string kRule(69, '-');

common::LocalTime Now(const Context& ctx) { return ctx.clock ? ctx.clock->Now() : common::SystemClock().Now(); }

}  // namespace

std::string FullVersionText() {
  return common::FormatText("%d%c%d.%02d.%d", kBuildYear, kReleaseLetter, kVersionMajor, kVersionMinor, kBuildNumber);
}

std::string ShortVersionText() {
  return common::FormatText("%d%c%d.%02d", kBuildYear, kReleaseLetter, kVersionMajor, kVersionMinor);
}

int GetHostAddress(Context&, common::Form*, std::string& out) {
  // The sockets library needs no start-up here, so the start-up failure
  // report has no cause on this platform.
  out = common::FirstIPv4Address();
  if (out.empty()) out = "0.0.0.0";
  return 0;
}

std::vector<std::string> BannerLines(Context& ctx, common::Form* owner, const common::LocalTime& now) {
  std::string address;
  GetHostAddress(ctx, owner, address);
  return {
      kRule,
      "二次元ＣＡＤ／ＣＡＭ",
      common::FormatText("%-35s %s Version %s", "穴明けＮＣ加工システム", "Release", FullVersionText().c_str()),
      ctx.rightsNotice,
      kRule,
      common::FormatText("今日日時：%d年 %d月 %d日 %d時 %d分", now.year, now.month, now.day, now.hour, now.minute),
      common::FormatText("ホスト名：%s", common::CutToRoom(common::HostName(), 128).c_str()),
      common::FormatText("アドレス：%s", address.c_str()),
      common::FormatText("ユーザー：%s", common::CutToRoom(common::UserName(), 128).c_str()),
      kRule,
  };
}

int ShowProgramBanner(Context& ctx, common::Form& main) {
  for (const std::string& line : BannerLines(ctx, &main, Now(ctx))) Report(ctx, &main, kKindList, line);
  return 0;
}

std::string VersionBoxApplicationText(const std::string& caption) {
  return common::FormatText("%s／%s#%s Version %s [Build Date %d/%d/%d]", caption.c_str(), kMakerName, "Drilling",
                            ShortVersionText().c_str(), kBuildYear, kBuildMonth, kBuildDay);
}

common::DialogTemplate VersionBoxTemplate(const std::string& application, const std::string& extra) {
  std::size_t hash = application.find('#');
  common::DialogTemplate tpl;
  tpl.name = "VERSIONBOX";
  tpl.caption = application.substr(0, hash);
  tpl.width = 230;
  tpl.height = 62;
  tpl.iconId = 101;
  std::string first = hash == std::string::npos ? std::string() : application.substr(hash + 1);
  tpl.controls = {
      {kAboutApplicationLabel, common::ControlKind::Label, first, 10, 10, 210, 10},
      {kAboutExtraLabel, common::ControlKind::Label, extra, 10, 24, 210, 10},
      {kAboutOk, common::ControlKind::Button, "OK", 170, 42, 50, 14, common::kDefaultButton},
  };
  return tpl;
}

common::DialogProc VersionBoxProc() {
  return [](common::Form& form, common::DialogEvent event, int id) {
    // OK, Escape (the cancel command) and the close box all end the box.
    if ((event == common::DialogEvent::Command && (id == kAboutOk || id == common::kCancelCommand)) ||
        event == common::DialogEvent::Close)
      form.End(kAboutOk);
  };
}

int ShowVersionBox(Context& ctx, common::Form& main, const char* application) {
  if (!ctx.ui) return 0;
  common::DialogTemplate tpl = VersionBoxTemplate(VersionBoxApplicationText(application ? application : ""),
                                                  ctx.rightsNotice);
  ctx.ui->RunModal(&main, tpl, VersionBoxProc());
  return 0;
}

std::string ProgramInfoText(const Context& ctx, const fs::path& executable) {
  std::string date;
  if (common::GetBuildDateText(executable, date) != 0)
    date = common::FormatText("%d/%02d/%02d 00:00:00", kBuildYear, kBuildMonth, kBuildDay);
  return common::FormatText("%12s : %s\n%12s : %s\n%12s : %d%c%d.%02d.%d\n%12s : %s\n%12s : %s\n%12s : %s\n",
                            "Developer", kMakerName, "Software", "Drilling", "Version", kBuildYear, kReleaseLetter,
                            kVersionMajor, kVersionMinor, kBuildNumber, "Build Date", date.c_str(), "Copyright",
                            ctx.rightsNotice.c_str(), "Release", kMakerAddress);
}

const common::DialogTemplate& ProgramInfoTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "PROGRAMINFODLG";
    t.caption = "プログラム情報 【 Close With any Key 】";
    // Wide enough for the longest line (the rights notice after its
    // 15-character heading: 64 characters of 4 units).
    t.width = 266;
    t.height = 72;
    t.iconId = 102;
    t.menuName = "INFOMENU";
    t.menu = {{"閉じる", kCmdInfoClose, {}}};
    // The text starts 5 pixels from the left and 15 from the top.
    t.controls = {{kInfoTextLabel, common::ControlKind::Label, "", 3, 10, 260, 60}};
    return t;
  }();
  return tpl;
}

common::DialogProc ProgramInfoProc(Context& ctx) {
  return [&ctx](common::Form& form, common::DialogEvent event, int id) {
    switch (event) {
      case common::DialogEvent::Init:
        form.SetText(kInfoTextLabel, ProgramInfoText(ctx, {}));
        break;
      case common::DialogEvent::Command:
        // Escape is a key like any other here.
        if (id == kCmdInfoClose || id == common::kCancelCommand) form.End(kInfoDialogResult);
        break;
      case common::DialogEvent::Close:  // the close box or any key
        form.End(kInfoDialogResult);
        break;
      default:
        break;
    }
  };
}

int ShowProgramInfo(Context& ctx, common::Form& main) {
  if (!ctx.ui) return 0;
  return ctx.ui->RunModal(&main, ProgramInfoTemplate(), ProgramInfoProc(ctx));
}

}  // namespace drilling
