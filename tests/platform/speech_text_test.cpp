#include "platform/espeak_mecab/speech_text.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/espeak_mecab/espeak_speech.h"
#include "platform/espeak_mecab/reading_dictionary.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

using test_support::TempDir;

TEST(NumberReading, JapaneseNumeralsWithSoundChanges) {
  EXPECT_EQ(NumberReading("0"), "ゼロ");
  EXPECT_EQ(NumberReading("1"), "イチ");
  EXPECT_EQ(NumberReading("10"), "ジュウ");
  EXPECT_EQ(NumberReading("12"), "ジュウニ");
  EXPECT_EQ(NumberReading("120"), "ヒャクニジュウ");
  EXPECT_EQ(NumberReading("300"), "サンビャク");
  EXPECT_EQ(NumberReading("680"), "ロッピャクハチジュウ");
  EXPECT_EQ(NumberReading("1920"), "センキュウヒャクニジュウ");
  EXPECT_EQ(NumberReading("8000"), "ハッセン");
  EXPECT_EQ(NumberReading("10000"), "イチマン");
  EXPECT_EQ(NumberReading("500000"), "ゴジュウマン");
  EXPECT_EQ(NumberReading("10000000"), "イッセンマン");
  EXPECT_EQ(NumberReading("100000001"), "イチオクイチ");
  EXPECT_EQ(NumberReading("005"), "ゴ");  // zero-padded ticks
  EXPECT_EQ(NumberReading("000"), "ゼロ");
  EXPECT_EQ(NumberReading("12345678901234567"),
            "イチニサンヨンゴロクナナハチキュウゼロイチニサンヨンゴロクナナ");
  EXPECT_EQ(DigitByDigit("09"), "ゼロキュウ");
}

TEST(NormalizeNfkc, HalfWidthKatakanaAndFullWidthDigits) {
  EXPECT_EQ(NormalizeNfkc("ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ"), "グランド ピアノ");
  EXPECT_EQ(NormalizeNfkc("１２３［４］"), "123[4]");
}

TEST(RewriteSymbols, ErrorCodesAreSpeltAndOnlyWholeCodesCount) {
  EXPECT_EQ(RewriteSymbols("GENE01000002 メモリ"),
            "ジーイーエヌイー ゼロイチゼロゼロ ゼロゼロゼロニ メモリ");
  EXPECT_EQ(RewriteSymbols("M1DT0300000A"),
            "エムイチディーティー ゼロサンゼロゼロ ゼロゼロゼロエー");
  // Seven digits, nine digits, lower-case hex or a longer word are not codes.
  EXPECT_EQ(RewriteSymbols("GENE0100000"), "GENE0100000");
  EXPECT_EQ(RewriteSymbols("GENE010000020"), "GENE010000020");
  EXPECT_EQ(RewriteSymbols("GENE0100000a"), "GENE0100000a");
  EXPECT_EQ(RewriteSymbols("XGENE01000002"), "XGENE01000002");
}

TEST(RewriteSymbols, DecimalPointsHyphensAndSymbols) {
  EXPECT_EQ(RewriteSymbols("バージョン1.09"), "バージョンイチテンゼロキュウ");
  EXPECT_EQ(RewriteSymbols("12.5"), "ジュウニテンゴ");
  EXPECT_EQ(RewriteSymbols("終わり1."), "終わり1.");  // a full stop, not a decimal point
  EXPECT_EQ(RewriteSymbols("-8192"), "マイナス8192");
  EXPECT_EQ(RewriteSymbols("-"), "マイナス");
  EXPECT_EQ(RewriteSymbols("a - b"), "a マイナス b");
  EXPECT_EQ(RewriteSymbols("speech-dispatcher"), "speech dispatcher");
  EXPECT_EQ(RewriteSymbols("セレステ・デプス"), "セレステ デプス");
  EXPECT_EQ(RewriteSymbols("スィープ パッド"), "スイープ パッド");
  EXPECT_EQ(RewriteSymbols("小節[1]"), "小節 1 ");
  EXPECT_EQ(RewriteSymbols("F#m 10%"), "エフシャープマイナー 10パーセント");
  // Zeros written in a name are read; a number of the program's own is read as a number.
  EXPECT_EQ(RewriteSymbols("test_02.mid"), "test ゼロニ.mid");
  EXPECT_EQ(RewriteSymbols("チック[010]"), "チック 010 ");
}

TEST(FinishForVoice, LatinNeverTouchesKanaAndPalatalRIsPhonemes) {
  EXPECT_EQ(FinishForVoice("Midiノ"), "Midi ノ");
  EXPECT_EQ(FinishForVoice("ノMidi"), "ノ Midi");
  EXPECT_EQ(FinishForVoice("Midi ノ"), "Midi ノ");
  EXPECT_EQ(FinishForVoice("ニューリョク"), "ニュー[[r`_jo]]ク");
  EXPECT_EQ(FinishForVoice("シューリョーシマス"), "シュー[[r`_jo:]]シマス");
  EXPECT_EQ(FinishForVoice("ボリューム リャ"), "ボ[[r`_ju:]]ム [[r`_ja]]");
  EXPECT_EQ(FinishForVoice("リンゴ"), "リンゴ");
}

class ReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!converter.HasDictionary()) GTEST_SKIP() << "mecab-ipadic-utf8 is not installed";
  }
  CReadingConverter converter;
};

TEST_F(ReadingTest, PronunciationNotSpellingAndBracketsDropped) {
  EXPECT_EQ(converter.ToReading("曲を新規作成しました。小節[1] 拍[1] 節[1]"),
            "キョクヲシンキサクセイシマシタ。ショーセツ イチ ハク イチ セツ イチ");
  EXPECT_EQ(converter.ToReading("再生はスペース"), "サイセイワスペース");
}

TEST_F(ReadingTest, WordRulesKeepTheirNeighboursRight) {
  EXPECT_EQ(converter.ToReading("琴"), "コト");
  EXPECT_EQ(converter.ToReading("木琴"), "モッキン");
  EXPECT_EQ(converter.ToReading("ベロシティの値が低すぎます。"),
            "ベロシティノアタイガヒクスギマス。");
  EXPECT_EQ(converter.ToReading("MMLの設定値"), "エムエムエルノセッテイチ");
  EXPECT_EQ(converter.ToReading("１６分音符単位読み"), "ジュウロクブオンプタンイヨミ");
}

TEST_F(ReadingTest, ValuesInstrumentsAndMarkup) {
  EXPECT_EQ(converter.ToReading("-8192"), "マイナスハッセンヒャクキュウジュウニ");
  EXPECT_EQ(converter.ToReading("F#m"), "エフシャープマイナー");
  EXPECT_EQ(converter.ToReading("Bb"), "ビーフラット");
  EXPECT_EQ(converter.ToReading("ｴﾚｸﾄﾘｯｸ ﾋﾟｱﾉ 1"), "エレクトリック ピアノ イチ");
  // Markup characters of the text never become markup, nor brackets phoneme input.
  EXPECT_EQ(converter.ToReading("<&>").find_first_of("<&>"), std::string::npos);
  EXPECT_EQ(converter.ToReading("Rock & <Roll>"),
            "<voice xml:lang=\"en-US\">Rock</voice> アンド <voice xml:lang=\"en-US\">Roll</voice>");
  EXPECT_EQ(converter.ToReading("[[r]]").find("[["), std::string::npos);
}

TEST(ReadingConverter, WithoutDictionaryNumbersAndSymbolsAreStillRead) {
  CReadingConverter converter("/nonexistent-dictionary");
  EXPECT_FALSE(converter.HasDictionary());
  EXPECT_EQ(converter.ToReading("トラック[12]"), "トラック ジュウニ ");
  EXPECT_EQ(converter.ToReading("GENE01000002"),
            "ジーイーエヌイー ゼロイチゼロゼロ ゼロゼロゼロニ");
}

TEST(ReadingDictionary, ParsesLinesAndNamesTheMalformedOnes) {
  std::vector<int> bad;
  auto dictionary = CReadingDictionary::Parse(
      "\xEF\xBB\xBF# names of my songs\r\n"
      "Bach\tバッハ\r\n"
      "\n"
      "no tab here\n"
      "\tempty text\n"
      "empty reading\t \n"
      "two\ttabs\there\n"
      "bad \xFF utf8\tx\n"
      "Bach\tバック\n"  // the first line for a text wins
      "ﾋﾟｱﾉ\tピヤノ",   // matched after normalisation; no final line break
      bad);
  EXPECT_EQ(bad, (std::vector<int>{4, 5, 6, 7, 8}));
  EXPECT_EQ(dictionary.Size(), 2u);
  EXPECT_EQ(dictionary.Apply("Bachのピアノ"), "バッハのピヤノ");
}

TEST(ReadingDictionary, LongestTextWinsAtEachPlace) {
  std::vector<int> bad;
  auto dictionary = CReadingDictionary::Parse("山\tヤマ\n山田\tヤマダ\n田\tタ\n", bad);
  EXPECT_TRUE(bad.empty());
  EXPECT_EQ(dictionary.Apply("山田と山と田"), "ヤマダとヤマとタ");
  EXPECT_EQ(dictionary.Apply(""), "");
}

TEST(ReadingDictionary, LoadsBesideTheSettingsAndReportsOnce) {
  TempDir dir;
  std::string notice = "stale";
  EXPECT_EQ(CReadingDictionary::Load(dir.Str(), notice).Size(), 0u);  // no file: nothing
  EXPECT_EQ(notice, "");
  std::ofstream(dir.File("readings.txt")) << "琴\tキン\nbroken\n鈴木\tスズキ\n\nx\n";
  auto dictionary = CReadingDictionary::Load(dir.Str(), notice);
  EXPECT_EQ(dictionary.Size(), 2u);
  EXPECT_NE(notice.find("readings.txt"), std::string::npos);
  EXPECT_NE(notice.find(" 2、5行目"), std::string::npos) << notice;

  // The user's readings come before the built-in ones.
  CReadingConverter converter;
  converter.SetUserReadings(std::move(dictionary));
  EXPECT_EQ(converter.ToReading("琴"), "キン");
  std::string said = ReadingForVoice("鈴木", dir.Str(), notice);
  EXPECT_EQ(said, "スズキ");
  EXPECT_NE(notice.find(" 2、5行目"), std::string::npos);
}

TEST(PcmConverter, ResamplesToTheChosenFormatAcrossBlocks) {
  // 22050 Hz mono 16-bit to 44100 Hz stereo 16-bit: twice the frames, four bytes each.
  CPcmConverter converter(22050, AudioFormat{44100, 16, 2});
  std::vector<std::int16_t> ramp(100);
  for (int i = 0; i < 100; ++i) ramp[i] = static_cast<std::int16_t>(i * 100);
  std::vector<std::uint8_t> out;
  converter.Convert(ramp.data(), 50, 1.0f, out);
  converter.Convert(ramp.data() + 50, 50, 1.0f, out);
  ASSERT_EQ(out.size() % 4, 0u);
  const std::size_t frames = out.size() / 4;
  EXPECT_GE(frames, 197u);
  EXPECT_LE(frames, 199u);
  // A ramp stays a ramp, also across the block border; left equals right.
  int previous = -1;
  for (std::size_t f = 0; f < frames; ++f) {
    int left = static_cast<std::int16_t>(out[f * 4] | out[f * 4 + 1] << 8);
    int right = static_cast<std::int16_t>(out[f * 4 + 2] | out[f * 4 + 3] << 8);
    EXPECT_EQ(left, right);
    EXPECT_GT(left, previous);
    previous = left;
  }
}

TEST(PcmConverter, EightBitIsUnsignedAndGainScales) {
  CPcmConverter converter(8000, AudioFormat{8000, 8, 1});
  std::int16_t s[] = {0, 16384, -16384, 0};
  std::vector<std::uint8_t> out;
  converter.Convert(s, 4, 0.5f, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], 128);
  EXPECT_EQ(out[1], 128 + 32);
  EXPECT_EQ(out[2], 128 - 32);
}

}  // namespace
}  // namespace zentory
