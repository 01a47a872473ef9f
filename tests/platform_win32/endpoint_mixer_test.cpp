// The master volume over a fake Core Audio endpoint: the silent-volume rescue at start-up raises a
// volume of 0 to full and unmutes, each change said once, and leaves an audible one alone.
#include "platform/win32/endpoint_mixer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/master_volume.h"

namespace zentory {
namespace {

class CFakeEndpoint : public IAudioEndpointVolume {
 public:
  float level = 0.5f;
  BOOL muted = FALSE;
  HRESULT result = S_OK;
  ULONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(FLOAT, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(FLOAT value, LPCGUID) override {
    if (SUCCEEDED(result)) level = value;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(FLOAT* value) override {
    *value = level;
    return result;
  }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, FLOAT, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, FLOAT, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMute(WINBOOL value, LPCGUID) override {
    if (SUCCEEDED(result)) muted = value;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetMute(WINBOOL* value) override {
    *value = muted;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeRange(FLOAT*, FLOAT*, FLOAT*) override { return E_NOTIMPL; }
};

TEST(EndpointMixer, OnlyTheMasterLineExistsAndMapsOntoTheScalar) {
  CFakeEndpoint fake;
  {
    CEndpointMixer mixer(&fake);
    EXPECT_EQ(fake.refs, 2u);
    EXPECT_EQ(mixer.Volume(MixerLine::kMaster), 32768);
    EXPECT_EQ(mixer.Volume(MixerLine::kWave), std::nullopt);
    EXPECT_EQ(mixer.Muted(MixerLine::kSynth), std::nullopt);
    EXPECT_FALSE(mixer.SetVolume(MixerLine::kWave, 100));
    EXPECT_TRUE(mixer.SetVolume(MixerLine::kMaster, 65535));
    EXPECT_FLOAT_EQ(fake.level, 1.0f);
    EXPECT_TRUE(mixer.SetVolume(MixerLine::kMaster, 70000));  // clamped, never past full
    EXPECT_FLOAT_EQ(fake.level, 1.0f);
    EXPECT_TRUE(mixer.SetMuted(MixerLine::kMaster, true));
    EXPECT_EQ(mixer.Muted(MixerLine::kMaster), true);
    fake.result = E_FAIL;
    EXPECT_EQ(mixer.Volume(MixerLine::kMaster), std::nullopt);
    EXPECT_FALSE(mixer.SetMuted(MixerLine::kMaster, false));
  }
  EXPECT_EQ(fake.refs, 1u);
}

TEST(EndpointMixer, SilentOutputIsRaisedAndUnmutedAtStartUp) {
  CFakeEndpoint fake;
  fake.level = 0.0f;
  fake.muted = TRUE;
  CEndpointMixer mixer(&fake);
  std::vector<std::string> said;
  EXPECT_EQ(RaiseSilentVolumes(&mixer, [&](std::string_view t) { said.emplace_back(t); }), 2);
  EXPECT_FLOAT_EQ(fake.level, 1.0f);
  EXPECT_EQ(fake.muted, FALSE);
  EXPECT_EQ(said.size(), 2u);

  // An audible output is left as the user set it, and nothing is said.
  fake.level = 0.3f;
  said.clear();
  EXPECT_EQ(RaiseSilentVolumes(&mixer, [&](std::string_view t) { said.emplace_back(t); }), 0);
  EXPECT_FLOAT_EQ(fake.level, 0.3f);
  EXPECT_TRUE(said.empty());
}

}  // namespace
}  // namespace zentory
