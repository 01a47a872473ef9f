#include <windows.h>
// Defines the Core Audio GUIDs used here (selectany, so other units may do the same).
#include <initguid.h>
// After windows.h, which they need.
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/win32/endpoint_mixer.h"

namespace zentory {

namespace {

constexpr int kMixerMax = 65535;

}  // namespace

CEndpointMixer::CEndpointMixer(IAudioEndpointVolume* endpoint) : endpoint_(endpoint) {
  if (endpoint_ != nullptr) endpoint_->AddRef();
}

CEndpointMixer::~CEndpointMixer() {
  if (endpoint_ != nullptr) endpoint_->Release();
}

std::unique_ptr<CEndpointMixer> CEndpointMixer::Create(std::string& problem) {
  IMMDeviceEnumerator* enumerator = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_MMDeviceEnumerator, nullptr, CLSCTX_ALL,
                                IID_IMMDeviceEnumerator, reinterpret_cast<void**>(&enumerator));
  IMMDevice* device = nullptr;
  if (SUCCEEDED(hr)) hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
  IAudioEndpointVolume* endpoint = nullptr;
  if (SUCCEEDED(hr)) {
    hr = device->Activate(IID_IAudioEndpointVolume, CLSCTX_ALL, nullptr,
                          reinterpret_cast<void**>(&endpoint));
  }
  std::unique_ptr<CEndpointMixer> mixer;
  if (SUCCEEDED(hr) && endpoint != nullptr) {
    mixer = std::make_unique<CEndpointMixer>(endpoint);
  } else {
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    problem = code;
  }
  if (endpoint != nullptr) endpoint->Release();
  if (device != nullptr) device->Release();
  if (enumerator != nullptr) enumerator->Release();
  return mixer;
}

std::optional<int> CEndpointMixer::Volume(MixerLine line) {
  float level = 0;
  if (line != MixerLine::kMaster || FAILED(endpoint_->GetMasterVolumeLevelScalar(&level))) {
    return std::nullopt;
  }
  return static_cast<int>(std::lround(std::clamp(level, 0.0f, 1.0f) * kMixerMax));
}

bool CEndpointMixer::SetVolume(MixerLine line, int volume) {
  if (line != MixerLine::kMaster) return false;
  const float level = static_cast<float>(std::clamp(volume, 0, kMixerMax)) / kMixerMax;
  return SUCCEEDED(endpoint_->SetMasterVolumeLevelScalar(level, nullptr));
}

std::optional<bool> CEndpointMixer::Muted(MixerLine line) {
  BOOL muted = FALSE;
  if (line != MixerLine::kMaster || FAILED(endpoint_->GetMute(&muted))) return std::nullopt;
  return muted != FALSE;
}

bool CEndpointMixer::SetMuted(MixerLine line, bool muted) {
  if (line != MixerLine::kMaster) return false;
  return SUCCEEDED(endpoint_->SetMute(muted ? TRUE : FALSE, nullptr));
}

}  // namespace zentory
