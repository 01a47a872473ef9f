// The typed pitch bend: a ten-point bend from the typed cents back to the centre, scaled by the
// pitch-bend sensitivity in force on the channel.
#include "edit/pitch_bend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "edit/edit_session.h"
#include "sound/midi_out_device.h"

namespace zentory {

namespace {

constexpr std::uint32_t kDataEntry = 6;
constexpr std::uint32_t kNrpnLsb = 98;
constexpr std::uint32_t kNrpnMsb = 99;
constexpr std::uint32_t kRpnLsb = 100;
constexpr std::uint32_t kRpnMsb = 101;
constexpr int kBendPoints = 10;
constexpr int kBendMax = 16383;

CMusicEvent MakeController(int channel, std::uint32_t controller, int value) {
  CMusicEvent e;
  e.status = ev::kControlChange;
  e.channel = channel;
  e.type = controller;
  e.value = value;
  const std::uint8_t bytes[] = {0xB0, static_cast<std::uint8_t>(controller),
                                static_cast<std::uint8_t>(value)};
  e.SetData(bytes);
  return e;
}

void SetBendBytes(CMusicEvent& e, int lsb, int msb) {
  e.key = lsb;
  e.value = msb;
  if (e.DataLength() >= 3) {
    auto block = e.MutableBlock();
    block[1] = static_cast<std::uint8_t>(lsb);
    block[2] = static_cast<std::uint8_t>(msb);
  }
}

CMusicEvent MakeBend(int channel, int lsb, int msb) {
  CMusicEvent e;
  e.status = ev::kPitchBend;
  e.channel = channel;
  const std::uint8_t bytes[] = {0xE0, static_cast<std::uint8_t>(lsb),
                                static_cast<std::uint8_t>(msb)};
  e.SetData(bytes);
  SetBendBytes(e, lsb, msb);
  return e;
}

bool IsBendOn(const CMusicEvent& e, int channel) {
  return e.status == ev::kPitchBend && e.channel == channel;
}

bool HasBendIn(const CMidiTrack& track, int channel, std::int64_t from, std::int64_t to) {
  std::int64_t t = 0;
  for (const CMusicEvent& e : track.Events()) {
    t += e.delta;
    if (t >= to) break;
    if (t >= from && IsBendOn(e, channel)) return true;
  }
  return false;
}

// The index of the first pitch bend on CHANNEL exactly at TICK, or -1.
std::int32_t BendAt(const CMidiTrack& track, int channel, std::int64_t tick) {
  std::int64_t t = 0;
  for (std::int32_t i = 0; i < track.EventCount(); ++i) {
    const CMusicEvent& e = track.Event(i);
    t += e.delta;
    if (t > tick) break;
    if (t == tick && IsBendOn(e, channel)) return i;
  }
  return -1;
}

}  // namespace

// The pitch-bend sensitivity (semitones) in force on CHANNEL at TICK, 0 when none is set. The
// registered-parameter controllers of every track are taken in the order a merge of the whole
// song plays them: by tick, then by their place among their track's events at that tick, then
// by track. Only the controllers that select or set a parameter are collected, so the walk does
// not copy the song.
int SensitivityAt(const CMidi1Data& song, int channel, std::int64_t tick) {
  struct Item {
    std::int64_t tick;
    std::int64_t pass;
    int track;
    std::uint32_t controller;
    int value;
  };
  std::vector<Item> items;
  for (int i = 0; i < song.TrackCount(); ++i) {
    const CMidiTrack* track = song.Track(i);
    if (!track) continue;
    std::int64_t t = 0;
    std::int64_t pass = 0;
    std::int64_t previous = -1;
    for (const CMusicEvent& e : track->Events()) {
      t += e.delta;
      if (t > tick) break;
      pass = t == previous ? pass + 1 : 0;
      previous = t;
      if (e.status != ev::kControlChange || e.channel != channel) continue;
      if (e.type == kDataEntry || e.type == kNrpnLsb || e.type == kNrpnMsb || e.type == kRpnLsb ||
          e.type == kRpnMsb) {
        items.push_back({t, pass, i, e.type, e.value});
      }
    }
  }
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    if (a.pass != b.pass) return a.pass < b.pass;
    return a.track < b.track;
  });
  int rpnMsb = 0;
  int rpnLsb = 0;
  // A non-registered parameter selection takes the data entry until a registered one is chosen
  // again; a GS part's NRPN data would otherwise read as a sensitivity.
  bool nrpn = false;
  int sensitivity = 0;
  for (const Item& item : items) {
    switch (item.controller) {
      case kRpnMsb:
        rpnMsb = item.value;
        nrpn = false;
        break;
      case kRpnLsb:
        rpnLsb = item.value;
        nrpn = false;
        break;
      case kNrpnMsb:
      case kNrpnLsb:
        nrpn = true;
        break;
      default:  // data entry
        if (!nrpn && rpnMsb == 0 && rpnLsb == 0) sensitivity = item.value;
        break;
    }
  }
  return sensitivity;
}

int CEditSession::StorePitchBend(int cents) {
  const int channel = CurrentChannel();
  if (!song_ || channel < 0 || channel >= 16) return 0;
  const std::int64_t tick = position_.tick;
  int sensitivity = SensitivityAt(*song_, channel, tick);
  const bool addSensitivity = sensitivity <= 0;
  if (addSensitivity) sensitivity = kDefaultBendSensitivity;
  // The bend holds one sensitivity's worth of cents either way; more is stored as the most.
  cents = std::clamp(cents, -100 * sensitivity, 100 * sensitivity);

  const std::int64_t step = std::max(song_->resolution / 4 / 10, 1);
  const std::int64_t end = tick + step * (kBendPoints - 1);
  // The channel's bends in the span give way, in every track on the channel; bends of other
  // channels that a track from a file may carry stay.
  const int count = std::min(TrackCount(), kChannelTableSize);
  for (int i = 1; i < count; ++i) {
    if (channelTable_[static_cast<std::size_t>(i)] != channel) continue;
    // Only a track that holds such a bend is copied for the change.
    if (!HasBendIn(*static_cast<const CMidi1Data&>(*song_).Track(i), channel, tick, end)) continue;
    CMidiTrack* track = ChangeTrack(i);
    std::int64_t t = 0;
    for (CMusicEvent& e : track->Events()) {
      t += e.delta;
      if (t >= end) break;
      if (t >= tick && IsBendOn(e, channel)) e.status = ev::kDeleted;
    }
    track->Compact();
  }

  CMidiTrack* current = ChangeTrack(position_.track);
  if (!current) return cents;
  CMidiOutDevice* out = OpenOutput();
  if (addSensitivity && out) {
    out->SendControlChange(0, static_cast<int>(kRpnMsb), channel);
    out->SendControlChange(0, static_cast<int>(kRpnLsb), channel);
    out->SendControlChange(kDefaultBendSensitivity, static_cast<int>(kDataEntry), channel);
  }
  constexpr std::int64_t kMaxTick = INT32_MAX;
  for (int i = 0; i < kBendPoints; ++i) {
    const int x = i < kBendPoints - 1 ? cents - (cents / 9) * i : 0;
    const auto bend = static_cast<int>(std::trunc(kBendFullScale / sensitivity * 0.01 * x));
    const int value = std::clamp(bend + kBendCentre, 0, kBendMax);
    const int msb = value >> 7;
    const int lsb = value & 0x7F;
    if (out) out->SendShort(msb, lsb, ev::kPitchBend + channel);
    const std::int64_t at = std::min(tick + step * i, kMaxTick);
    if (std::int32_t index = BendAt(*current, channel, at); index >= 0) {
      SetBendBytes(current->Event(index), lsb, msb);
    } else {
      current->InsertEventAtTime(static_cast<std::int32_t>(at), MakeBend(channel, lsb, msb),
                                 CMidiTrack::kBefore);
    }
  }
  if (addSensitivity) {
    // Registered parameter 0/0 = 2 semitones, ahead of the bend at its tick (each insertion goes
    // in front of the one before).
    for (auto [controller, value] : std::array<std::pair<std::uint32_t, int>, 3>{
             {{kDataEntry, kDefaultBendSensitivity}, {kRpnLsb, 0}, {kRpnMsb, 0}}}) {
      current->InsertEventAtTime(static_cast<std::int32_t>(tick),
                                 MakeController(channel, controller, value), CMidiTrack::kBefore);
    }
  }
  RaiseEndTick(current->GetLengthTicks());
  return cents;
}

}  // namespace zentory
