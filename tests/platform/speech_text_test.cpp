#include "platform/espeak_mecab/speech_text.h"

#include <gtest/gtest.h>

#include "platform/espeak_mecab/espeak_speech.h"

namespace zentory {
namespace {

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
}

TEST(NormalizeNfkc, HalfWidthKatakanaAndFullWidthDigits) {
  EXPECT_EQ(NormalizeNfkc("ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ"), "グランド ピアノ");
  EXPECT_EQ(NormalizeNfkc("１２３［４］"), "123[4]");
}

class ReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!converter.HasDictionary()) GTEST_SKIP() << "mecab-ipadic-utf8 is not installed";
  }
  CReadingConverter converter;
};

TEST_F(ReadingTest, PositionWordingReadsSetsuAndDropsBrackets) {
  EXPECT_EQ(converter.ToReading("曲を新規作成しました。小節[1] 拍[1] 節[1]"),
            "キョクヲシンキサクセイシマシタ。ショウセツ イチ ハク イチ セツ イチ");
}

TEST_F(ReadingTest, ValuesAndInstrumentNames) {
  EXPECT_EQ(converter.ToReading("-"), "マイナス");
  EXPECT_EQ(converter.ToReading("-8192"), "マイナスハッセンヒャクキュウジュウニ");
  EXPECT_EQ(converter.ToReading("F#m"), "エフシャープマイナー");
  EXPECT_EQ(converter.ToReading("Bb"), "ビーフラット");
  EXPECT_EQ(converter.ToReading("ｴﾚｸﾄﾘｯｸ ﾋﾟｱﾉ 1"), "エレクトリック ピアノ イチ");
  // Markup characters are plain text.
  EXPECT_EQ(converter.ToReading("<&>").find('<'), 0u);
}

TEST_F(ReadingTest, ProgramSentencesMeCabWouldMisread) {
  EXPECT_EQ(converter.ToReading("ベロシティの値が低すぎます。"),
            "ベロシティノアタイガヒクスギマス。");
  EXPECT_EQ(converter.ToReading("MMLの設定値"), "エムエムエルノセッテイチ");
  EXPECT_EQ(converter.ToReading("１６分音符単位読み"), "ジュウロクブオンプタンイヨミ");
  EXPECT_EQ(converter.ToReading("１つ前"), "ヒトツマエ");
}

TEST(ReadingConverter, WithoutDictionaryNumbersAndSymbolsAreStillRead) {
  CReadingConverter converter("/nonexistent-dictionary");
  EXPECT_FALSE(converter.HasDictionary());
  EXPECT_EQ(converter.ToReading("トラック[12]"), "トラック ジュウニ ");
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
