// Moving the edit position: by bars and grid steps, to the head and end, by event ticks, event
// steps, markers and tick steps. Each move reads one track once at most, so it stays quick on
// tracks of a hundred thousand events.
#include <algorithm>

#include "base/text_codec.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "song/event_names.h"

namespace zentory {

namespace {

// What "the same command" compares for an event of the same kind.
int EventDetail(const CMusicEvent& e) {
  switch (e.status) {
    case ev::kNote:
    case ev::kNoteOn:
    case ev::kNoteOff:
      return e.key;
    case ev::kControlChange:
    case ev::kMeta:
      return static_cast<int>(e.type);
    case ev::kProgramChange:
    case ev::kPitchBend:
      return e.value;
    default:
      return 0;
  }
}

}  // namespace

void CEditSession::MoveByBar(int direction) {
  position_.eventIndex = -1;
  std::int64_t tick = position_.tick;
  // A position between beats falls back to the start of its bar; one on a beat keeps its place
  // in the bar.
  if (!IsOnBeatBoundary(position_, tick)) tick = BarStart(position_, tick);
  if (direction > 0) {
    tick += NextBarStart(position_, tick) - BarStart(position_, tick);
  } else if (tick > 0) {
    tick -= NextBarStart(position_, tick - 1) - BarStart(position_, tick - 1);
  }
  SetTick(tick);
  FinishTimeMove();
}

void CEditSession::MoveByGrid(std::int64_t step, int direction) {
  position_.eventIndex = -1;
  step = std::max<std::int64_t>(step, 1);
  SetTick(step * (direction + position_.tick / step));
  FinishTimeMove();
}

void CEditSession::MoveToTick(std::int64_t tick) {
  position_.eventIndex = -1;
  SetTick(tick);
  FinishTimeMove();
}

void CEditSession::MoveToEventTick(int direction) {
  position_.eventIndex = -1;
  const CMidiTrack* track = CurrentTrack();
  std::int64_t target = 0;
  if (track && !track->IsEmpty()) {
    std::int64_t t = 0;
    if (direction > 0) {
      target = -1;
      for (const CMusicEvent& e : track->Events()) {
        t += e.delta;
        if (t > position_.tick) {
          target = t;
          break;
        }
      }
      if (target < 0) target = t;  // the end of the track
    } else {
      for (const CMusicEvent& e : track->Events()) {
        t += e.delta;
        if (t >= position_.tick) break;
        target = t;
      }
    }
  }
  SetTick(target);
  FinishTimeMove();
}

void CEditSession::StepEvent(int direction, bool sameKind, bool sameCommand) {
  const CMidiTrack* track = CurrentTrack();
  if (!track || track->IsEmpty()) {
    Announce(PositionWording());
    return;
  }
  const std::vector<CMusicEvent>& events = track->Events();
  const int count = track->EventCount();
  int index = CheckedEventIndex();
  if (index < 0) {
    // The first event at or after the position (the last event when none is).
    int first = count - 1;
    std::int64_t t = 0;
    for (int i = 0; i < count; ++i) {
      t += events[static_cast<std::size_t>(i)].delta;
      if (t >= position_.tick) {
        first = i;
        break;
      }
    }
    index = direction > 0 ? first : std::max(first - 1, 0);
  } else if (!sameKind) {
    index = std::clamp(index + direction, 0, count - 1);
  } else {
    const CMusicEvent& from = events[static_cast<std::size_t>(index)];
    const int detail = EventDetail(from);
    // Round the track once; the current event itself ends the search.
    int i = index;
    do {
      i = (i + direction + count) % count;
      const CMusicEvent& e = events[static_cast<std::size_t>(i)];
      if (e.status == from.status && (!sameCommand || EventDetail(e) == detail)) break;
    } while (i != index);
    index = i;
  }
  position_.eventIndex = index;
  SetTick(track->TimeOf(index));
  UpdateStatusFields();

  const CMusicEvent& e = events[static_cast<std::size_t>(index)];
  if (e.status == ev::kNote)
    preview_.PreviewNote(e.key, static_cast<int>(e.velocity), e.channel, e.length);
  Announce(PositionWording() + " " + EventReading(e, position_.tick));
}

void CEditSession::StepMarker(int direction) {
  position_.eventIndex = -1;
  const CMidiTrack* master = song_ ? static_cast<const CMidi1Data&>(*song_).Track(0) : nullptr;
  const std::int64_t here = position_.tick;
  bool found = false;
  std::int64_t tick = direction > 0 ? position_.endTick : 0;
  std::string text;
  if (master) {
    const std::vector<CMusicEvent>& events = master->Events();
    std::int64_t t = 0;
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
      const CMusicEvent& e = events[i];
      t += e.delta;
      if (!e.IsMeta(ev::kMetaMarker)) continue;
      if (direction > 0) {
        if (t > here) {
          found = true;
          tick = t;
          text = e.DataText();
          break;
        }
        continue;
      }
      if (t >= here) {
        // A marker at the head with none before the position: the last of the markers that
        // stand at tick 0 names it.
        if (!found && t == 0) {
          found = true;
          tick = 0;
          for (std::size_t j = i; j + 1 < events.size() && events[j].delta == 0; ++j) {
            if (events[j].IsMeta(ev::kMetaMarker)) text = events[j].DataText();
          }
        }
        break;
      }
      // The last marker before the position so far.
      found = true;
      tick = t;
      text = e.DataText();
    }
  }
  SetTick(found ? tick : (direction > 0 ? position_.endTick : 0));
  UpdateStatusFields();
  Announce(PositionWording() + " " +
           (found ? Cp932ToUtf8(text) : std::string(edit_texts::kNoMarker)));
}

void CEditSession::StepTicks(std::int64_t step, int direction) {
  position_.eventIndex = -1;
  // Both ways stay inside the song: from past its end (reached by bar steps) a step lands on
  // the end tick.
  const std::int64_t tick =
      std::clamp<std::int64_t>(position_.tick + (direction > 0 ? step : -step), 0,
                               std::max<std::int64_t>(position_.endTick, 0));
  SetTick(tick);
  UpdateStatusFields();
  Announce(PositionWording());
}

}  // namespace zentory
