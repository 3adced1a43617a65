#include "Drilling/job/material_dialog.h"

#include <gtest/gtest.h>

#include "job/job_fixture.h"

using namespace drilling;

namespace {

class MaterialDialogTest : public jobtest::JobFixture {
 protected:
  // The dialog open over the main form, as the main window opens it.
  common::MemoryForm& Open() {
    dialog = std::make_unique<common::MemoryForm>(MaterialDialogTemplate(), MaterialDialogProc(ctx), &main);
    dialog->Init();
    return *dialog;
  }
  void Fill(const char* x, const char* y, const char* z, const char* material) {
    dialog->SetText(kMaterialSizeXEdit, x);
    dialog->SetText(kMaterialSizeYEdit, y);
    dialog->SetText(kMaterialThicknessEdit, z);
    dialog->SetText(kMaterialNameCombo, material);
  }
  common::MemoryForm main{MainDialogTemplate()};
  std::unique_ptr<common::MemoryForm> dialog;
};

TEST_F(MaterialDialogTest, OriginFollowsTheChosenCorner) {
  struct Case {
    const char* x;
    const char* y;
    int radio;
    const char* originX;
    const char* originY;
  };
  const Case cases[] = {
      {"200", "100", kOriginLowerLeftRadio, "0", "0"},     {"200", "100", kOriginLowerRightRadio, "200", "0"},
      {"200", "100", kOriginUpperLeftRadio, "0", "100"},   {"200", "100", kOriginCentreRadio, "100", "50"},
      {"200", "100", kOriginUpperRightRadio, "200", "100"}, {"125", "75", kOriginCentreRadio, "62.5", "37.5"},
      {"12.3456", "0", kOriginUpperRightRadio, "12.346", "0"},
  };
  for (const Case& c : cases) {
    Open();
    Fill(c.x, c.y, "20", "S45C");
    dialog->Click(c.radio);
    dialog->Click(kSettingSave);
    ASSERT_TRUE(dialog->HasEnded());
    EXPECT_EQ(dialog->Result(), 0);
    EXPECT_EQ(main.FullText(kOriginXEdit), c.originX) << c.x << " " << c.radio;
    EXPECT_EQ(main.FullText(kOriginYEdit), c.originY) << c.y << " " << c.radio;
    EXPECT_EQ(main.FullText(kStockXEdit), c.x);
    EXPECT_EQ(main.FullText(kStockZEdit), "20");
  }
}

TEST_F(MaterialDialogTest, OpeningFillsTheListAndCopiesTheMainForm) {
  main.SetText(kStockXEdit, "150");
  main.SetText(kStockZEdit, "20");
  main.SetText(kMaterialCombo, "fc250");
  Open();
  ASSERT_EQ(dialog->EntryCount(kMaterialNameCombo), 3);
  EXPECT_EQ(dialog->EntryText(kMaterialNameCombo, 2), "A5052");
  EXPECT_EQ(dialog->FullText(kMaterialSizeXEdit), "150");
  EXPECT_EQ(dialog->FullText(kMaterialSizeYEdit), "");
  EXPECT_EQ(dialog->FullText(kMaterialThicknessEdit), "20");
  EXPECT_EQ(dialog->FullText(kMaterialNameCombo), "FC250");
  EXPECT_TRUE(dialog->IsChecked(kOriginLowerLeftRadio));
  EXPECT_EQ(dialog->Template().caption, "材料定義");
  EXPECT_EQ(dialog->Template().menuName, "SETTINGMENU");
}

TEST_F(MaterialDialogTest, StoredOriginChoicePreselects) {
  WriteConfig("[WorkType]\nWorkType0=S45C\n[work]\n原点=4\n");
  common::ForgetCachedProfiles();
  Open();
  EXPECT_TRUE(dialog->IsChecked(kOriginCentreRadio));
  EXPECT_FALSE(dialog->IsChecked(kOriginLowerLeftRadio));

  // Outside 0-4: no button, and the save takes the centre.
  WriteConfig("[work]\n原点=7\n");
  common::ForgetCachedProfiles();
  Open();
  for (int id = kOriginLowerLeftRadio; id <= kOriginCentreRadio; ++id) EXPECT_FALSE(dialog->IsChecked(id)) << id;
  Fill("80", "60", "10", "A5052");
  dialog->Click(kSettingSave);
  EXPECT_EQ(main.FullText(kOriginXEdit), "40");
  EXPECT_EQ(main.FullText(kOriginYEdit), "30");

  // A value beyond the integer range reads as the largest integer: still no
  // button (and no overflow for the sanitiser build to catch).
  WriteConfig("[work]\n原点=99999999999\n");
  common::ForgetCachedProfiles();
  Open();
  for (int id = kOriginLowerLeftRadio; id <= kOriginCentreRadio; ++id) EXPECT_FALSE(dialog->IsChecked(id)) << id;
}

TEST_F(MaterialDialogTest, AnEmptyFieldStopsTheSaveAndKeepsTheDialogOpen) {
  main.SetText(kStockZEdit, "old Z");
  main.SetText(kMaterialCombo, "OLD");
  Open();
  Fill("200", "100", "", "SUS304");
  dialog->SetText(kMaterialSizeYEdit, "101");
  dialog->Click(kSettingSave);
  EXPECT_FALSE(dialog->HasEnded());
  EXPECT_EQ(main.FullText(kStockXEdit), "200");
  EXPECT_EQ(main.FullText(kStockYEdit), "101");
  EXPECT_EQ(main.FullText(kStockZEdit), "old Z");
  EXPECT_EQ(main.FullText(kMaterialCombo), "OLD");
  EXPECT_TRUE(ui.boxes.empty() && lines.empty()) << "no message";
  dialog->Click(kSettingHelp);
  EXPECT_FALSE(dialog->HasEnded());
  dialog->Click(kSettingCancel);
  EXPECT_TRUE(dialog->HasEnded());
  EXPECT_EQ(dialog->Result(), -1);
  Open();
  dialog->Send(common::DialogEvent::Close);
  EXPECT_EQ(dialog->Result(), -1);
}

// The material reaches the main form whole (the job keeps 15 bytes); a
// value that is not a number or does not fit is refused with the field
// named, the dialog stays open and the main form is untouched.
TEST_F(MaterialDialogTest, ValuesAreKeptWholeOrRefused) {
  Open();
  Fill("1", "1", "1", "ＳＵＳ3");  // 7 bytes
  dialog->Click(kSettingSave);
  EXPECT_EQ(main.FullText(kMaterialCombo), "ＳＵＳ3");
  struct Case {
    const char* x;
    const char* z;
    const char* material;
    const char* box;
  };
  const Case cases[] = {
      {"abc", "1", "S45C", "エラー：Ｘ－寸法 [abc] は数値ではありません。"},
      {"150", "inf", "S45C", "エラー：厚み寸法 [inf] は数値ではありません。"},
      {"1234.56789012345", "1", "S45C", "エラー：Ｘ－寸法 [1234.56789012345] が長すぎます（15 バイトまで）。"},
      {"150", "1", "STAVAX-ESR", "エラー：材質 [STAVAX-ESR] が長すぎます（7 バイトまで）。"},
      {"150", "1", "ステンレス鋼", "エラー：材質 [ステンレス鋼] が長すぎます（7 バイトまで）。"},
  };
  for (const Case& c : cases) {
    main.SetText(kStockXEdit, "old X");
    Open();
    Fill(c.x, "100", c.z, c.material);
    dialog->Click(kSettingSave);
    EXPECT_FALSE(dialog->HasEnded()) << c.box;
    EXPECT_EQ(main.FullText(kStockXEdit), "old X");
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back().text, c.box);
  }
  Open();
  Fill("1234.5678", "1", "1", "STAVAX");
  dialog->Click(kSettingSave);
  EXPECT_EQ(main.FullText(kStockXEdit), "1234.5678");
  EXPECT_EQ(main.FullText(kMaterialCombo), "STAVAX");
}

}  // namespace
