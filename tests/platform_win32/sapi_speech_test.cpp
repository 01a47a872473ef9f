// The SAPI voice against a fake ISpVoice: purge-before-speak, the voice list and the first
// start's Japanese voice, rate and volume as SAPI takes them, and a voice that refuses to speak.
#include "platform/win32/sapi_speech.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zentory {
namespace {

// Records what the program asks of the voice; every call it does not expect fails.
class CFakeVoice : public ISpVoice {
 public:
  struct SpeakCall {
    std::wstring text;  // empty for a null text
    bool null = false;
    DWORD flags = 0;
  };
  std::vector<SpeakCall> speaks;
  std::vector<ISpObjectToken*> voicesSet;
  LONG rate = 0;
  USHORT volume = 100;
  HRESULT speakResult = S_OK;
  HRESULT settingsResult = S_OK;
  ULONG refs = 1;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  // ISpNotifySource
  HRESULT STDMETHODCALLTYPE SetNotifySink(ISpNotifySink*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetNotifyWindowMessage(HWND, UINT, WPARAM, LPARAM) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetNotifyCallbackFunction(SPNOTIFYCALLBACK*, WPARAM, LPARAM) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetNotifyCallbackInterface(ISpNotifyCallback*, WPARAM,
                                                       LPARAM) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetNotifyWin32Event() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE WaitForNotifyEvent(DWORD) override { return E_NOTIMPL; }
  HANDLE STDMETHODCALLTYPE GetNotifyEventHandle() override { return nullptr; }
  // ISpEventSource
  HRESULT STDMETHODCALLTYPE SetInterest(ULONGLONG, ULONGLONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetEvents(ULONG, SPEVENT*, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInfo(SPEVENTSOURCEINFO*) override { return E_NOTIMPL; }
  // ISpVoice
  HRESULT STDMETHODCALLTYPE SetOutput(IUnknown*, WINBOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOutputObjectToken(ISpObjectToken**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetOutputStream(ISpStreamFormat**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetVoice(ISpObjectToken* token) override {
    voicesSet.push_back(token);
    return settingsResult;
  }
  HRESULT STDMETHODCALLTYPE GetVoice(ISpObjectToken**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Speak(LPCWSTR text, DWORD flags, ULONG*) override {
    speaks.push_back({text ? std::wstring(text) : std::wstring(), text == nullptr, flags});
    return text == nullptr ? S_OK : speakResult;
  }
  HRESULT STDMETHODCALLTYPE SpeakStream(IStream*, DWORD, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStatus(SPVOICESTATUS*, LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Skip(LPCWSTR, LONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetPriority(SPVPRIORITY) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPriority(SPVPRIORITY*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAlertBoundary(SPEVENTENUM) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAlertBoundary(SPEVENTENUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetRate(LONG value) override {
    if (SUCCEEDED(settingsResult)) rate = value;
    return settingsResult;
  }
  HRESULT STDMETHODCALLTYPE GetRate(LONG* value) override {
    *value = rate;
    return settingsResult;
  }
  HRESULT STDMETHODCALLTYPE SetVolume(USHORT value) override {
    if (SUCCEEDED(settingsResult)) volume = value;
    return settingsResult;
  }
  HRESULT STDMETHODCALLTYPE GetVolume(USHORT* value) override {
    *value = volume;
    return settingsResult;
  }
  HRESULT STDMETHODCALLTYPE WaitUntilDone(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSyncSpeakTimeout(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSyncSpeakTimeout(ULONG*) override { return E_NOTIMPL; }
  HANDLE STDMETHODCALLTYPE SpeakCompleteEvent() override { return nullptr; }
  HRESULT STDMETHODCALLTYPE IsUISupported(LPCWSTR, void*, ULONG, WINBOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG) override {
    return E_NOTIMPL;
  }
};

// Distinct token addresses the fake only compares; never called, never released.
ISpObjectToken* Token(int n) {
  return reinterpret_cast<ISpObjectToken*>(static_cast<std::uintptr_t>(0x1000 * n));
}
std::shared_ptr<ISpObjectToken> Unowned(ISpObjectToken* token) {
  return std::shared_ptr<ISpObjectToken>(token, [](ISpObjectToken*) {});
}

std::vector<SapiVoiceEntry> Voices(const std::vector<std::string>& languages) {
  std::vector<SapiVoiceEntry> voices;
  int n = 1;
  for (const auto& language : languages) {
    voices.push_back({"Voice " + std::to_string(n), language, {}});
    ++n;
  }
  return voices;
}

TEST(SapiSpeech, EveryTextPurgesWhatIsStillSpokenAndNeverWaits) {
  CFakeVoice fake;
  {
    CSapiSpeech speech(&fake, {});
    EXPECT_EQ(fake.refs, 2u);  // the speech holds its own reference
    speech.Speak("曲を新規作成しました。");
    speech.Speak("終了します。");
    speech.Speak("");  // only silences
    ASSERT_EQ(fake.speaks.size(), 3u);
    const DWORD spoken = SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML;
    EXPECT_EQ(fake.speaks[0].text, L"曲を新規作成しました。");
    EXPECT_EQ(fake.speaks[0].flags, spoken);
    EXPECT_EQ(fake.speaks[1].text, L"終了します。");
    EXPECT_EQ(fake.speaks[1].flags, spoken);
    EXPECT_TRUE(fake.speaks[2].null);
    EXPECT_EQ(fake.speaks[2].flags & SPF_PURGEBEFORESPEAK, DWORD{SPF_PURGEBEFORESPEAK});
    // Markup in a file name or marker is read as text, never as SAPI XML.
    speech.Speak("<silence msec=\"9999\"/>");
    EXPECT_NE(fake.speaks.back().flags & SPF_IS_NOT_XML, 0u);
  }
  // Going away silences the voice and gives its reference back.
  EXPECT_TRUE(fake.speaks.back().null);
  EXPECT_EQ(fake.refs, 1u);
}

TEST(SapiSpeech, FirstStartPrefersTheFirstJapaneseVoice) {
  CFakeVoice fake;
  auto voices = Voices({"409", "809", "411", "411"});
  voices[2].token = Unowned(Token(3));
  CSapiSpeech speech(&fake, voices);
  EXPECT_EQ(speech.Voices(),
            (std::vector<std::string>{"Voice 1", "Voice 2", "Voice 3", "Voice 4"}));
  EXPECT_EQ(speech.PreferredVoice(), 2);
  EXPECT_EQ(speech.CurrentVoice(), -1);
  ASSERT_TRUE(speech.SelectVoice(2));
  EXPECT_EQ(speech.CurrentVoice(), 2);
  ASSERT_EQ(fake.voicesSet.size(), 1u);
  EXPECT_EQ(fake.voicesSet[0], Token(3));
  // Choosing a voice cuts what the previous one was saying.
  ASSERT_FALSE(fake.speaks.empty());
  EXPECT_TRUE(fake.speaks.back().null);
  // A row that is not in the list changes nothing.
  EXPECT_FALSE(speech.SelectVoice(4));
  EXPECT_FALSE(speech.SelectVoice(-2));
  EXPECT_EQ(speech.CurrentVoice(), 2);

  CSapiSpeech english(&fake, Voices({"409", "809"}));
  EXPECT_EQ(english.PreferredVoice(), 0);
}

TEST(SapiSpeech, RateAndVolumeReachTheVoiceWithinItsRanges) {
  CFakeVoice fake;
  CSapiSpeech speech(&fake, {});
  EXPECT_TRUE(speech.SetRate(-3));
  EXPECT_EQ(fake.rate, -3);
  EXPECT_EQ(speech.Rate(), -3);
  EXPECT_TRUE(speech.SetRate(99));  // a damaged setup.ini
  EXPECT_EQ(fake.rate, 10);
  EXPECT_TRUE(speech.SetVolume(70));
  EXPECT_EQ(fake.volume, 70);
  EXPECT_EQ(speech.Volume(), 70);
  EXPECT_TRUE(speech.SetVolume(-1));
  EXPECT_EQ(fake.volume, 0);

  fake.settingsResult = E_FAIL;
  EXPECT_FALSE(speech.SetRate(1));
  EXPECT_FALSE(speech.SetVolume(1));
  EXPECT_EQ(speech.Rate(), std::nullopt);
  EXPECT_EQ(speech.Volume(), std::nullopt);
}

TEST(SapiSpeech, ARefusedTextIsReportedOnceAndTheNextOneIsTried) {
  CFakeVoice fake;
  std::vector<std::string> failures;
  CSapiSpeech speech(&fake, {}, [&](const std::string& f) { failures.push_back(f); });
  fake.speakResult = E_OUTOFMEMORY;
  speech.Speak("一");
  speech.Speak("二");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("0x8007000E"), std::string::npos);
  fake.speakResult = S_OK;
  speech.Speak("三");
  ASSERT_EQ(fake.speaks.size(), 3u);
  EXPECT_EQ(fake.speaks[2].text, L"三");
  EXPECT_EQ(failures.size(), 1u);
}

}  // namespace
}  // namespace zentory

namespace zentory {
namespace {

TEST(SapiSpeech, TheUsersReadingsAndNfkcApplyBeforeTheVoice) {
  CFakeVoice fake;
  CSapiSpeech speech(&fake, {});
  std::vector<int> bad;
  speech.SetReadings(CReadingDictionary::Parse("鈴木\tすずき\nｿﾅﾀ\tソナタ\n", bad));
  ASSERT_TRUE(bad.empty());
  // Half-width katakana of the program's own texts become katakana.
  EXPECT_EQ(speech.TextForVoice("Zentory のﾊﾞｰｼﾞｮﾝ情報"), "Zentory のバージョン情報");
  speech.Speak("鈴木のソナタ");  // the entry for ｿﾅﾀ matches its full-width form too
  ASSERT_FALSE(fake.speaks.empty());
  EXPECT_EQ(fake.speaks.back().text, L"すずきのソナタ");
  speech.Speak("ｿﾅﾀ");
  EXPECT_EQ(fake.speaks.back().text, L"ソナタ");
  // The program's own rules for any voice: a box's code after its message, the brackets of the
  // position gone, a pause between a menu item's two keys.
  EXPECT_EQ(speech.TextForVoice("GENE0100000A データが大きすぎます。 他 2 件"),
            "データが大きすぎます。 他 2 件 コード GENE0100000A");
  EXPECT_EQ(speech.TextForVoice("小節[1] 拍[2]"), "小節 1  拍 2 ");
  EXPECT_EQ(
      speech.TextForVoice("ア コントロール ファンクション9 シフト コントロール ファンクション1"),
      "ア コントロール ファンクション9、シフト コントロール ファンクション1");
}

}  // namespace
}  // namespace zentory
