#include "base/error_report.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "base/general.h"
#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

TEST(ErrorReport, FormatsPrefixEightDigitsAndMessage) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  EXPECT_EQ(GeneralError(gene::kOutOfMemory), 1);
  EXPECT_EQ(GeneralError(0x01000099), 1);  // not in the table: the default message
  EXPECT_EQ(GeneralError(0), 1);
  auto boxes = box.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0], "GENE01000002 メモリが不足しています。");
  EXPECT_EQ(boxes[1], "GENE01000099 汎用処理でエラーが発生しました。");
  EXPECT_EQ(boxes[2], "GENE00000000 汎用処理でエラーが発生しました。");
}

TEST(ErrorReport, CannotOpenMessageHasTwoLines) {
  std::string text = GeneralModule().Format(gene::kCannotOpen);
  EXPECT_EQ(
      text,
      "GENE01000007 ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
      "あるいは、出力フォルダや作業フォルダの設定などを確認してください。");
}

TEST(ErrorReport, OnceOnlyLatchesDropRepeatsUntilReset) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  static constexpr ErrorText kTable[] = {{0x0D000001, "one"}, {0x0D000002, "two"}};
  static constexpr ErrorModule kModule("MDTK", kTable, "default");
  OnceOnlyReporter<1> once(kModule, {0x0D000001});
  once.Report(0x0D000001);
  once.Report(0x0D000001);
  once.Report(0x0D000002);  // not latched: shown every time
  once.Report(0x0D000002);
  EXPECT_EQ(box.Boxes().size(), 3u);
  once.Report(0);  // re-arms and shows nothing
  EXPECT_EQ(box.Boxes().size(), 3u);
  once.Report(0x0D000001);
  ASSERT_EQ(box.Boxes().size(), 4u);
  EXPECT_EQ(box.Boxes()[3], "MDTK0D000001 one");
}

TEST(ErrorReport, BatchShowsEachTextOnceWithTheCountOfRepeats) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  {
    ScopedReportBatch batch;
    for (int i = 0; i < 1000; ++i) GeneralError(gene::kBadParameter);
    {
      ScopedReportBatch inner;  // leaves the holding to the outer batch
      GeneralError(gene::kFileSize);
    }
    GeneralError(gene::kBadParameter);
    // A box raised on another thread is not held: that thread may not outlive the batch.
    std::thread([] { GeneralError(gene::kOutOfMemory); }).join();
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0], "GENE01000002 メモリが不足しています。");
  }
  EXPECT_EQ(box.Boxes(), (std::vector<std::string>{
                             "GENE01000002 メモリが不足しています。",
                             "GENE0100000B パラメータに誤りがあります。 他 1000 件",
                             "GENE0100000D ファイルサイズにエラーがあります。",
                         }));
  EXPECT_EQ(GetMessageBoxTarget(), &box);
}

}  // namespace
}  // namespace zentory
