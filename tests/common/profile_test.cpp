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

// A job kept elsewhere and linked into DB: a save changes the file the link
// points to and the link stays a link.
TEST(ProfileWrite, WritesThroughALinkedFile) {
  TempFolder dir;
  std::filesystem::create_directory(dir / "shared");
  std::filesystem::create_directory(dir / "DB");
  WriteBytes(dir / "shared" / "JOB.ini", "[Drilling]\r\ntitle=JOB\r\n");
  std::filesystem::create_symlink("../shared/JOB.ini", dir / "DB" / "JOB.ini");
  ASSERT_TRUE(WriteProfileText("Drilling", "NcFile", "O1.nc", dir / "DB" / "JOB.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "DB" / "JOB.ini"));
  EXPECT_EQ(ReadBytes(dir / "shared" / "JOB.ini"), "[Drilling]\r\ntitle=JOB\r\nNcFile=O1.nc\r\n");
  EXPECT_EQ(Read(dir / "DB" / "JOB.ini", "Drilling", "NcFile"), "O1.nc");
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

// Reads of hand-edited files, as the platform reads them: line ends, quotes,
// blanks around names (in the file and passed by the caller), section
// headers without their closing bracket, and the default.
TEST(ProfileRead, HandEditedFilesReadAsThePlatformReadsThem) {
  struct Case {
    const char* bytes;
    const char* section;
    const char* key;
    const char* def;
    const char* expected;
  };
  const Case cases[] = {
      // A lone CR ends a line, as LF and CR LF do.
      {"[S]\rk=cr\rm=2\r", "S", "k", "", "cr"},
      {"[S]\rk=cr\rm=2\r", "S", "m", "", "2"},
      {"[S]\nk=lf\r\n\rm=mixed", "S", "m", "", "mixed"},
      // One pair of quotes of either kind, the outermost only; blanks inside stay.
      {"[S]\r\nk=' single '\r\n", "S", "k", "", " single "},
      {"[S]\r\nk=  \"' both '\"  \r\n", "S", "k", "", "' both '"},
      {"[S]\r\nk='\"x\"'\r\n", "S", "k", "", "\"x\""},
      {"[S]\r\nk='mixed\"\r\n", "S", "k", "", "'mixed\""},
      {"[S]\r\nk=''\r\n", "S", "k", "<d>", ""},
      {"[S]\r\nk='\r\n", "S", "k", "", "'"},
      // Blanks, tabs and vertical tabs around names, in the file and passed in.
      {"[ \t\vDrilling \t]\r\nk=v\r\n", "Drilling", "k", "", "v"},
      {"[Drilling]\r\n\t k \v= v\r\n", " \tdrilling\v ", "\v K\t", "", "v"},
      // A header without its closing bracket still names a section; the name
      // ends at the first ']'.
      {"[Open \r\nk=v\r\n", "Open", "k", "", "v"},
      {"[A]B]\r\nk=v\r\n", "A", "k", "", "v"},
      {"[A]B]\r\nk=v\r\n", "A]B", "k", "<d>", "<d>"},
      // The default loses trailing spaces but keeps tabs.
      {"", "S", "k", "dflt  ", "dflt"},
      {"", "S", "k", "dflt\t ", "dflt\t"},
      {"", "S", "k", "  lead", "  lead"},
  };
  TempFolder dir;
  int n = 0;
  for (const Case& c : cases) {
    auto f = dir / ("d" + std::to_string(n++) + ".ini");
    WriteBytes(f, c.bytes);
    EXPECT_EQ(ReadProfileText(c.section, c.key, c.def, 256, f), c.expected)
        << "file " << testing::PrintToString(std::string(c.bytes)) << " [" << c.section << "] " << c.key;
  }
  // A NUL typed into a value ends it, as a C string does.
  auto f = dir / "nul.ini";
  WriteBytes(f, std::string("[S]\r\nNcFile=O1.nc\0\0x\r\n", 22));
  EXPECT_EQ(ReadProfileText("S", "NcFile", "", 256, f), "O1.nc");
}

// Writes into hand-edited files: exact resulting bytes.
TEST(ProfileWrite, EditsHandEditedFilesAsThePlatformDoes) {
  struct Case {
    const char* before;
    const char* section;
    std::optional<const char*> key;
    std::optional<const char*> value;
    const char* after;
    const char* readBack = nullptr;  // the value read after a set
  };
  const Case cases[] = {
      // Names given are trimmed; the value is written exactly as given.
      {"", " \tS ", " k\v", "  v  ", "[S]\r\nk=  v  \r\n", "v"},
      {"[S]\r\nk=1\r\n", "s", "\tK ", "'q'", "[S]\r\nk='q'\r\n", "q"},
      {"[S]\r\nk=1\r\n", "S", "k", "\t", "[S]\r\nk=\t\r\n", ""},
      // A last line without a line end gets CR LF before anything added.
      {"[S]\r\nk=1", "S", "n", "2", "[S]\r\nk=1\r\nn=2\r\n"},
      {"[S]\nk=1", "T", "n", "2", "[S]\nk=1\r\n[T]\r\nn=2\r\n"},
      {"[S]\r\nk=1", "S", "k", "2", "[S]\r\nk=2\r\n"},
      {"[S]\r\nk=1\r\n; end", "S", "n", "2", "[S]\r\nk=1\r\nn=2\r\n; end"},
      // Lone CR line ends are kept on the lines not touched.
      {"[S]\rk=1\r[T]\rx=0\r", "S", "k", "2", "[S]\rk=2\r[T]\rx=0\r"},
      // A new key goes after the last key line, before the comments and
      // blanks that end the section; comments between keys stay put.
      {"[S]\r\na=1\r\n; about b\r\nb=2\r\n; trailing\r\n\r\n[T]\r\n", "S", "c", "3",
       "[S]\r\na=1\r\n; about b\r\nb=2\r\nc=3\r\n; trailing\r\n\r\n[T]\r\n"},
      {"[S]\r\n; only a comment\r\n[T]\r\n", "S", "c", "3", "[S]\r\nc=3\r\n; only a comment\r\n[T]\r\n"},
      // Deleting a section keeps its comment (and blank) lines.
      {"[A]\r\na=1\r\n[S]\r\n; keep me\r\nk=1\r\n\r\n;also\r\nm=2\r\n[T]\r\nt=1\r\n", "s", std::nullopt,
       std::nullopt, "[A]\r\na=1\r\n; keep me\r\n\r\n;also\r\n[T]\r\nt=1\r\n"},
      {"[S]\r\nk=1\r\n[s]\r\n;dup\r\nk=2\r\n", "S", std::nullopt, std::nullopt, ";dup\r\n"},
      // Deleting a key keeps the comments around it.
      {"[S]\r\n;c1\r\nk=1\r\n;c2\r\n", "S", "K", std::nullopt, "[S]\r\n;c1\r\n;c2\r\n"},
      // A write into the section named by a header without ']'.
      {"[Open\r\nk=1\r\n", "Open", "k", "2", "[Open\r\nk=2\r\n"},
  };
  for (const Case& c : cases) {
    common::ProfileDocument doc(c.before);
    std::optional<std::string_view> key, value;
    if (c.key) key = *c.key;
    if (c.value) value = *c.value;
    doc.Apply(c.section, key, value);
    EXPECT_EQ(doc.Bytes(), c.after) << "before " << testing::PrintToString(std::string(c.before));
    if (c.readBack) {
      const common::ProfileDocument reread(doc.Bytes());  // alive while *v is read
      const std::string* v = reread.Find(c.section, *key);
      ASSERT_NE(v, nullptr);
      EXPECT_EQ(*v, c.readBack);
    }
  }
}

TEST(ProfileWrite, RefusesLineBreaksAndNulAndWritesNothing) {
  TempFolder dir;
  auto f = dir / "r.ini";
  const std::string original = "[S]\r\nk=1\r\n";
  WriteBytes(f, original);
  const std::string nul("a\0b", 3);
  struct Case {
    std::string section, key, value;
  };
  const Case cases[] = {
      {"S", "k", "two\r\nlines"}, {"S", "k", "cr\r"},   {"S", "k", "lf\n"}, {"S", "k", nul},
      {"S\n", "k", "v"},          {"S", "k\r\nx", "v"}, {nul, "k", "v"},    {"S", nul, "v"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(WriteProfileText(c.section, c.key, c.value, f)) << testing::PrintToString(c.value);
    EXPECT_EQ(ReadBytes(f), original);
  }
  EXPECT_FALSE(WriteProfileText("S\r", std::nullopt, std::nullopt, f)) << "a section delete too";
  EXPECT_FALSE(WriteProfileText("S", "k\n", std::nullopt, f)) << "a key delete too";
  // One refused change in a batch refuses the whole batch.
  EXPECT_FALSE(common::WriteProfileTexts("S", {{"a", "1"}, {"b", "x\ny"}}, f));
  EXPECT_EQ(ReadBytes(f), original);
  EXPECT_EQ(Read(f, "S", "a"), "<def>");
  EXPECT_FALSE(WriteProfileText("S", "k", "v\n", dir / "missing.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.ini")) << "no file is created for a refused write";
}
