#include "base/general.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text_codec.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.File(name); }
  void Write(const char* name, std::size_t n) {
    std::ofstream(Path(name), std::ios::binary) << std::string(n, 'x');
  }
  test_support::TempDir dir_;
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(FilesTest, ReadExactOfShortFileReportsTooLargeAndSucceeds) {
  Write("short", 10);
  std::vector<std::uint8_t> block(284, 0xEE);
  std::size_t got = 0;
  EXPECT_TRUE(ReadExact(Path("short"), block, &got));
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(block[9], 'x');
  EXPECT_EQ(block[10], 0xEE);  // nothing written past what was read
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0], "GENE0100000A データが大きすぎます。");
}

TEST_F(FilesTest, MissingFilesAndDirectories) {
  std::vector<std::uint8_t> out{1, 2, 3};
  EXPECT_FALSE(FileExists(Path("none")));
  EXPECT_FALSE(FileExists(dir_.Str()));
  EXPECT_EQ(GetFileSize32(dir_.Str()), 0u);  // a directory: 0, no report
  EXPECT_TRUE(box_.Boxes().empty());

  EXPECT_FALSE(ReadWholeFile(Path("none"), out, 100));
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(box_.Boxes().size(), 2u);  // the path alone, then GENE 01000007
  EXPECT_EQ(box_.Boxes()[0], Path("none"));
  EXPECT_EQ(box_.Boxes()[1].substr(0, 12), "GENE01000007");
}

TEST_F(FilesTest, ReadWholeFileStopsAtCapacity) {
  Write("f", 1000);
  std::vector<std::uint8_t> out;
  EXPECT_TRUE(ReadWholeFile(Path("f"), out, 600));
  EXPECT_EQ(out.size(), 600u);
  EXPECT_TRUE(ReadWholeFile(Path("f"), out, 1 << 20));
  EXPECT_EQ(out.size(), 1000u);
  EXPECT_EQ(GetFileSize32(Path("f")), 1000u);
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(FilesTest, WriteIntoMissingFolderFailsAndKeepsOldFileOnFailure) {
  std::vector<std::uint8_t> data{1, 2, 3};
  EXPECT_FALSE(WriteWholeFile(Path("no/such/dir/file"), data));
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "GENE01000007");

  Write("keep", 5);
  fs::create_directory(Path("keep.tmp~"));  // the temporary name is taken: the write must fail
  EXPECT_FALSE(WriteWholeFile(Path("keep"), data));
  EXPECT_EQ(fs::file_size(Path("keep")), 5u);

  fs::remove(Path("keep.tmp~"));
  EXPECT_TRUE(WriteWholeFile(Path("keep"), data));
  EXPECT_EQ(fs::file_size(Path("keep")), 3u);
  EXPECT_FALSE(fs::exists(Path("keep.tmp~")));
}

TEST(AppPath, NoDoubledSeparatorAtRoot) {
  EXPECT_EQ(JoinAppPath("/", "setup.ini"), "/setup.ini");
  const char separator = static_cast<char>(fs::path::preferred_separator);
  EXPECT_EQ(JoinAppPath("/home/u", "setup.ini"), std::string("/home/u") + separator + "setup.ini");
  EXPECT_EQ(JoinAppPath("C:\\", "setup.ini"), "C:\\setup.ini");
}

TEST(TextCodec, RoundTripsJapaneseAndLimitsWithoutSplitting) {
  std::string utf8 = "ニューのN";
  std::string sjis = Utf8ToCp932(utf8);
  EXPECT_EQ(sjis,
            "\x83\x6A\x83\x85\x81\x5B\x82\xCC"
            "N");
  EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
  // Half-width katakana and the CP932 extensions (NEC special characters) survive.
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932("ｱｺｰｽﾃｨｯｸ ①")), "ｱｺｰｽﾃｨｯｸ ①");
  EXPECT_EQ(Utf8ToCp932Limited("あいう", 5), "\x82\xA0\x82\xA2");  // 4 bytes, not 5
  EXPECT_EQ(Utf8ToCp932Limited(std::string(300, 'a'), 254).size(), 254u);
  // A cut that stays UTF-8 keeps what CP932 cannot hold, counted as the byte of its '?'.
  EXPECT_EQ(Utf8CutToCp932Length("あいう", 5), "あい");
  EXPECT_EQ(Utf8CutToCp932Length("a\xF0\x9F\x8E\xB5"
                                 "bc",
                                 3),
            "a\xF0\x9F\x8E\xB5"
            "b");
  EXPECT_EQ(Utf8CutToCp932Length("\xF0\x9F\x8E\xB5", 254), "\xF0\x9F\x8E\xB5");
  // Broken input never fails.
  EXPECT_EQ(Cp932ToUtf8("A\x82"), "A\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToCp932("\xF0\x9F\x8E\xB5x"), "?x");
  // Output lines keep a text with line breaks on one line.
  EXPECT_EQ(EchoLine("say: ", "a\nb"), "say: a\\nb");
  // So does one with any other control character: a carriage return, an escape sequence that
  // would clear the terminal, DEL, a C1 next-line and the Unicode line separator.
  EXPECT_EQ(EchoLine("box: ", "a\rb\tc\x1B[2Jd\x7F\xC2\x85\xE2\x80\xA8あ"),
            "box: a\\rb\\tc\\x1B[2Jd\\x7F\\u0085\\u2028あ");
}

TEST(TextCodec, NoLookAlikesAndFaultsStayLocal) {
  // Characters CP932 lacks become '?', never a look-alike (a for à, as
  // Windows's best fit would give).
  EXPECT_EQ(Utf8ToCp932("\xC3\xA0"
                        "b\xC3\xA9"),
            "?b?");
  // A text with one bad character keeps the rest: the fault is not the whole text's.
  EXPECT_EQ(Utf8ToCp932("あ\xC3\xA0い"), "\x82\xA0?\x82\xA2");
  // The single bytes CP932 leaves unassigned are faults on every system (Windows alone would
  // give them U+0080 and private-use characters), and those characters have no CP932 form.
  EXPECT_EQ(Cp932ToUtf8("\x80"
                        "A\xA0\xFD\xFF"),
            "\xEF\xBF\xBD"
            "A\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToCp932("\xC2\x80"
                        "A\xEF\xA3\xB0"),
            "?A?");
  // A broken lead byte does not take the ASCII byte after it along.
  EXPECT_EQ(Cp932ToUtf8("\x82\x20"
                        "A"),
            "\xEF\xBF\xBD A");
}

// Every single byte and every lead/trail pair, decoded and encoded back, as one FNV-1a digest:
// the iconv codec of the Linux build gives this value, and the code page 932 tables of the
// Windows build must give the same, character for character.
TEST(TextCodec, EveryCp932SequenceReadsTheSameOnEverySystem) {
  std::uint64_t digest = 0xCBF29CE484222325ull;
  auto add = [&digest](std::string_view bytes) {
    for (unsigned char c : bytes) digest = (digest ^ c) * 0x100000001B3ull;
    digest = (digest ^ 0xFFu) * 0x100000001B3ull;  // a separator no text holds
  };
  auto check = [&add](std::string in) {
    const std::string utf8 = Cp932ToUtf8(in);
    add(in);
    add(utf8);
    add(Utf8ToCp932(utf8));
  };
  for (int b = 0x80; b < 0x100; ++b) check(std::string(1, static_cast<char>(b)) + "A");
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      check(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  EXPECT_EQ(digest, 0xA461BD45A8466304ull);
}

}  // namespace
}  // namespace zentory
