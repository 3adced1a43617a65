#include "common/profile.h"

#include <gtest/gtest.h>

#include <climits>

#include "common/sjis.h"
#include "support/temp_folder.h"

using common::ReadProfileInt;
using common::ReadProfileText;
using common::WriteProfileText;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

namespace {

std::string Read(const std::filesystem::path& f, const char* section, const char* key, const char* def = "<def>",
                 std::size_t room = 256) {
  return ReadProfileText(section, key, def, room, f);
}

}  // namespace

TEST(ProfileRead, MissingFileAndKeysGiveTheDefault) {
  TempFolder dir;
  auto f = dir / "none.ini";
  EXPECT_EQ(Read(f, "A", "k"), "<def>");
  EXPECT_EQ(ReadProfileInt("A", "k", 42, f), 42);
  WriteBytes(f, "[A]\r\nk=\r\nn=7\r\n");
  EXPECT_EQ(Read(f, "A", "k"), "") << "a present empty key is empty, not the default";
  EXPECT_EQ(ReadProfileInt("A", "k", 42, f), 0);
  EXPECT_EQ(Read(f, "A", "other"), "<def>");
  EXPECT_EQ(Read(f, "B", "k"), "<def>");
  // Trailing blanks of a default go, as with the platform function.
  EXPECT_EQ(Read(f, "A", "other", "dflt  "), "dflt");
}

TEST(ProfileRead, NamesBlanksQuotesAndComments) {
  TempFolder dir;
  auto f = dir / "a.ini";
  WriteBytes(f,
             "top=before any section\r\n"
             "  [Sec One]  \r\n"
             "; key=commented\r\n"
             "  Key  =  spaced value  \r\n"
             "quoted=\"  in quotes  \"\r\n"
             "half=\"only one\r\n"
             "eq=a=b\r\n"
             "bare word\r\n"
             "[sec one]\r\n"
             "key=from the duplicate section\r\n"
             "[Other]\r\n"
             "dup=first\r\n"
             "DUP=second\r\n");
  EXPECT_EQ(Read(f, "SEC ONE", "KEY"), "spaced value");
  EXPECT_EQ(Read(f, "Sec One", "quoted"), "  in quotes  ");
  EXPECT_EQ(Read(f, "Sec One", "half"), "\"only one");
  EXPECT_EQ(Read(f, "Sec One", "eq"), "a=b");
  EXPECT_EQ(Read(f, "Sec One", "; key"), "<def>");
  EXPECT_EQ(Read(f, "Sec One", "bare word"), "<def>");
  EXPECT_EQ(Read(f, "other", "dup"), "first");
  EXPECT_EQ(Read(f, "", "top"), "<def>") << "keys before the first section belong to none";
}

TEST(ProfileRead, RoomCutsAtCharacterBoundaries) {
  TempFolder dir;
  auto f = dir / "j.ini";
  // 材質 is two double-byte characters; values are code page 932 on disk.
  WriteBytes(f, common::Utf8ToCp932("[Drilling]\r\n材質=S45C材質\r\nk=ABCDEFGH\r\n"));
  EXPECT_EQ(Read(f, "Drilling", "材質"), "S45C材質");
  EXPECT_EQ(Read(f, "Drilling", "材質", "", 8), "S45C材") << "7 bytes of room: the second character would be split";
  EXPECT_EQ(Read(f, "Drilling", "材質", "", 7), "S45C材");
  EXPECT_EQ(Read(f, "Drilling", "材質", "", 6), "S45C");
  EXPECT_EQ(Read(f, "Drilling", "k", "", 8), "ABCDEFG");
  EXPECT_EQ(Read(f, "Drilling", "k", "", 1), "");
  EXPECT_EQ(Read(f, "Drilling", "k", "", 0), "");
  EXPECT_EQ(Read(f, "Drilling", "absent", "123456789", 4), "123");
}

TEST(ProfileRead, IntegerTakesLeadingDigitsOnly) {
  TempFolder dir;
  auto f = dir / "i.ini";
  WriteBytes(f, "[S]\r\na=12abc\r\nb=abc\r\nc=-5\r\nd= 7 \r\ne=99999999999999\r\nq=\"3\"\r\n");
  EXPECT_EQ(ReadProfileInt("S", "a", -1, f), 12);
  EXPECT_EQ(ReadProfileInt("S", "b", -1, f), 0);
  EXPECT_EQ(ReadProfileInt("S", "c", -1, f), 0);
  EXPECT_EQ(ReadProfileInt("S", "d", -1, f), 7);
  EXPECT_EQ(ReadProfileInt("S", "e", -1, f), INT_MAX);
  EXPECT_EQ(ReadProfileInt("S", "q", -1, f), 3);
  EXPECT_EQ(ReadProfileInt("S", "z", -1, f), -1);
}

TEST(ProfileWrite, BuildsFilesAsThePlatformDoes) {
  TempFolder dir;
  auto f = dir / "w.ini";
  // Deleting in a file that does not exist creates nothing.
  EXPECT_TRUE(WriteProfileText("App", "key", std::nullopt, f));
  EXPECT_TRUE(WriteProfileText("App", std::nullopt, std::nullopt, f));
  EXPECT_FALSE(std::filesystem::exists(f));

  ASSERT_TRUE(WriteProfileText("App1", "key1", "string1", f));
  ASSERT_TRUE(WriteProfileText("App1", "key2", "string2", f));
  ASSERT_TRUE(WriteProfileText("App1", "key3", "string3", f));
  ASSERT_TRUE(WriteProfileText("App2", "key4", "string4", f));
  ASSERT_TRUE(WriteProfileText("App3", "key5", "string5", f));
  EXPECT_EQ(ReadBytes(f),
            "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
  ASSERT_TRUE(WriteProfileText("app1", "KEY2", std::nullopt, f));
  ASSERT_TRUE(WriteProfileText("APP1", std::nullopt, std::nullopt, f));
  ASSERT_TRUE(WriteProfileText("App3", "key5", std::nullopt, f));
  EXPECT_EQ(ReadBytes(f), "[App2]\r\nkey4=string4\r\n[App3]\r\n");
  ASSERT_TRUE(WriteProfileText("App2", "KEY4", "changed", f));
  EXPECT_EQ(ReadBytes(f), "[App2]\r\nkey4=changed\r\n[App3]\r\n") << "the stored key name is kept";
  ASSERT_TRUE(WriteProfileText("App2", "empty", "", f));
  EXPECT_EQ(Read(f, "App2", "empty"), "");
}

TEST(ProfileWrite, KeepsUntouchedBytesAndPlacesNewKeysBeforeTrailingBlanks) {
  TempFolder dir;
  auto f = dir / "h.ini";
  // LF-only lines, a comment, bytes that are not code page 932, blank lines
  // ending a section, and no line end after the last line.
  std::string original = "; hand made\n[A]\nx = 1\n\xFF\xFE garbage\n\n\n[B]\r\ny=2";
  WriteBytes(f, original);
  ASSERT_TRUE(WriteProfileText("A", "new", "v", f));
  ASSERT_TRUE(WriteProfileText("B", "z", "3", f));
  EXPECT_EQ(ReadBytes(f), "; hand made\n[A]\nx = 1\n\xFF\xFE garbage\nnew=v\r\n\n\n[B]\r\ny=2\r\nz=3\r\n");
  ASSERT_TRUE(WriteProfileText("C", "日本語", "値", f));
  EXPECT_EQ(Read(f, "c", "日本語"), "値");
  EXPECT_NE(ReadBytes(f).find(common::Utf8ToCp932("[C]\r\n日本語=値\r\n")), std::string::npos);
}

TEST(ProfileWrite, ReportsFailureAndLeavesNothingBehind) {
  TempFolder dir;
  WriteBytes(dir / "plain", "x");
  EXPECT_FALSE(WriteProfileText("A", "k", "v", dir / "plain" / "sub.ini")) << "the folder is a file";
  std::filesystem::create_directory(dir / "folder.ini");
  EXPECT_FALSE(WriteProfileText("A", "k", "v", dir / "folder.ini"));
  EXPECT_EQ(Read(dir / "folder.ini", "A", "k"), "<def>");
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 2) << "no temporary file is left";
}

TEST(ProfileRead, SeesChangesMadeByOtherPrograms) {
  TempFolder dir;
  auto f = dir / "c.ini";
  WriteBytes(f, "[S]\r\nk=one\r\n");
  EXPECT_EQ(Read(f, "S", "k"), "one");
  WriteBytes(f, "[S]\r\nk=two\r\n");  // same size, same second
  EXPECT_EQ(Read(f, "S", "k"), "two");
  std::filesystem::remove(f);
  EXPECT_EQ(Read(f, "S", "k"), "<def>");
}

TEST(ProfileRead, GarbledFilesNeverCrash) {
  TempFolder dir;
  auto f = dir / "g.ini";
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);
  bytes += "\r\n[S]\r\nk=ok\r\n";
  bytes += "[L]\r\nlong=" + std::string(100000, 'x') + "\r\n";
  for (int i = 0; i < 10000; ++i) bytes += "[Sec" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  bytes += "\x81";  // a lead byte at the very end
  WriteBytes(f, bytes);
  EXPECT_EQ(Read(f, "S", "k"), "ok");
  EXPECT_EQ(Read(f, "L", "long", "", 16), std::string(15, 'x'));
  EXPECT_EQ(Read(f, "Sec9999", "k"), "9999");
  ASSERT_TRUE(WriteProfileText("Sec5000", "k", "changed", f));
  EXPECT_EQ(Read(f, "Sec5000", "k"), "changed");
  EXPECT_EQ(Read(f, "Sec5001", "k"), "5001");
}

TEST(ProfileRead, ABatchChecksEachFileOnceAndSeesItsOwnWrites) {
  TempFolder dir;
  auto f = dir / "b.ini";
  WriteBytes(f, "[S]\r\nk=one\r\n");
  {
    common::ProfileReadBatch batch;
    EXPECT_EQ(Read(f, "S", "k"), "one");
    WriteBytes(f, "[S]\r\nk=two\r\n");  // another program, during the batch
    EXPECT_EQ(Read(f, "S", "k"), "one");
    ASSERT_TRUE(WriteProfileText("S", "m", "mine", f));  // our own write is seen
    EXPECT_EQ(Read(f, "S", "m"), "mine");
    EXPECT_EQ(Read(f, "S", "k"), "two") << "a write starts from the disk and loses nothing";
  }
  EXPECT_EQ(Read(f, "S", "m"), "mine");
  WriteBytes(f, "[S]\r\nk=three\r\n");
  EXPECT_EQ(Read(f, "S", "k"), "three") << "after the batch the disk is looked at again";
}
