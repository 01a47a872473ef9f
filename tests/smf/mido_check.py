#!/usr/bin/python3
"""Cross-checks the editor's SMF reader and writer against mido, an independent reader.

usage: mido_check.py ZENTORY_SMF WORK_DIR

For generated songs (several channels, chords, overlapping notes of one key, system exclusive
messages, Japanese text events, tempo changes), written by mido at several divisions and in both
formats:
  - mido -> us: `zentory-smf dump` must show the same notes, tempos and texts;
  - us -> mido: `zentory-smf convert` writes the song as the editor saves it; mido must read the
    same notes, tempos, texts and system exclusive messages from that file.
"""
import collections
import os
import subprocess
import sys

import mido

EDITOR_RESOLUTION = 480
# The master volume the reader adds to a format-1 song that has none.
ADDED_MASTER_VOLUME = (0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F)
TEXT_LABELS = {"text": "テキスト　", "lyrics": "歌詞　", "marker": "マーカー　",
               "track_name": "タイトル ", "cue_marker": "キューポイント　"}


def cp932_text(text):
    """mido takes meta texts as latin-1; our files hold CP932 bytes."""
    return text.encode("cp932").decode("latin-1")


def from_cp932(text):
    return text.encode("latin-1").decode("cp932")


def song_tracks(seed):
    """Channel tracks as lists of (tick, message) at 480 ticks per quarter note."""
    tracks = []
    for n, channel in enumerate([0, 1, 9, 15]):
        events = [(0, mido.Message("program_change", channel=channel, program=(seed * 7 + n) % 128))]
        tick = 0
        for step in range(24):
            keys = [60 + (step * 5 + n) % 24]
            if step % 3 == 0:
                keys += [keys[0] + 4, keys[0] + 7]  # a chord
            length = 120 * (1 + (step + n + seed) % 4)
            for k in keys:
                events.append((tick, mido.Message("note_on", channel=channel, note=k,
                                                  velocity=40 + (step * 11 + k) % 80)))
                events.append((tick + length, mido.Message("note_off", channel=channel, note=k,
                                                           velocity=0)))
            if step % 5 == 2:
                # The same key again before the first one ends: notes pair first-in first-out.
                k = keys[0]
                events.append((tick + 60, mido.Message("note_on", channel=channel, note=k,
                                                       velocity=99)))
                events.append((tick + length + 60, mido.Message("note_off", channel=channel,
                                                                note=k, velocity=64)))
            if step % 7 == 3:
                events.append((tick, mido.Message("control_change", channel=channel,
                                                  control=7, value=90 + step)))
                events.append((tick, mido.Message("pitchwheel", channel=channel,
                                                  pitch=step * 100 - 1200)))
            tick += 240
        events.append((tick + 480, None))  # end
        tracks.append(events)
    master = [(0, mido.MetaMessage("track_name", name=cp932_text("曲名テスト"))),
              (0, mido.MetaMessage("time_signature", numerator=3, denominator=4)),
              (0, mido.MetaMessage("set_tempo", tempo=500000)),
              (0, mido.Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01])),
              (480, mido.MetaMessage("marker", text=cp932_text("サビ"))),
              (960, mido.MetaMessage("set_tempo", tempo=400000)),
              (1440, mido.MetaMessage("text", text=cp932_text("テキスト・ｶﾀｶﾅ"))),
              (1920, mido.Message("sysex", data=[0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F,
                                                  0x00, 0x41])),
              (2400, mido.MetaMessage("lyrics", text=cp932_text("歌詞"))),
              (2880, mido.MetaMessage("set_tempo", tempo=600000 + seed))]
    return master, tracks


def to_track(events, scale):
    track = mido.MidiTrack()
    now = 0
    end = max(t for t, _ in events)
    ordered = sorted(((t, i, m) for i, (t, m) in enumerate(events) if m is not None),
                     key=lambda e: (e[0], 0 if e[2].type == "note_off" else 1, e[1]))
    for t, _, m in ordered:
        track.append(m.copy(time=(t - now) * scale // 1))
        now = t
    track.append(mido.MetaMessage("end_of_track", time=(end - now) * scale // 1))
    return track


def write_song(path, seed, division, file_type):
    scale = division / EDITOR_RESOLUTION
    master, tracks = song_tracks(seed)
    mid = mido.MidiFile(type=file_type, ticks_per_beat=division)
    if file_type == 1:
        mid.tracks.append(to_track(master, scale))
        for events in tracks:
            mid.tracks.append(to_track(events, scale))
    else:
        everything = master + [e for events in tracks for e in events]
        mid.tracks.append(to_track(everything, scale))
    for track in mid.tracks:
        for m in track:
            m.time = int(round(m.time))
    mid.save(path)


def facts_from_mido(path):
    """Notes, tempos, texts and sysex payloads of a file, at 480 ticks per quarter note."""
    mid = mido.MidiFile(path)
    scale = EDITOR_RESOLUTION / mid.ticks_per_beat
    notes, tempos, texts, sysex = [], [], [], []
    for track in mid.tracks:
        now = 0
        sounding = collections.defaultdict(collections.deque)
        for m in track:
            now += m.time
            tick = int(now * scale)
            if m.type == "note_on" and m.velocity > 0:
                sounding[(m.channel, m.note)].append((tick, m.velocity))
            elif m.type in ("note_off", "note_on"):
                queue = sounding[(m.channel, m.note)]
                if queue:
                    start, velocity = queue.popleft()
                    if tick > start:
                        notes.append((start, m.channel, m.note, velocity, tick - start))
            elif m.type == "set_tempo":
                tempos.append((tick, m.tempo))
            elif m.type in TEXT_LABELS:
                value = m.name if m.type == "track_name" else m.text
                texts.append((tick, m.type, from_cp932(value)))
            elif m.type == "sysex":
                sysex.append((tick, tuple(m.data)))
    return sorted(notes), sorted(tempos), sorted(texts), sorted(sysex)


def facts_from_dump(tool, path):
    """The same facts as our reader gives them, from `zentory-smf dump`."""
    run = subprocess.run([tool, "dump", path], capture_output=True, text=True, check=False)
    if run.returncode != 0:
        raise AssertionError(f"dump {path} failed: {run.stderr}")
    notes, tempos, texts = [], [], []
    channel = 255
    labels = {label: kind for kind, label in TEXT_LABELS.items()}
    for line in run.stdout.splitlines():
        if "\t" not in line:
            channel = int(line.split()[-1])
            continue
        tick, name = line.split("\t", 1)
        tick = int(tick)
        if name.startswith("ノート "):
            key, length, velocity = (int(x) for x in name.split()[1:4])
            notes.append((tick, channel, key, velocity, length))
        elif name.startswith("テンポ "):
            tempos.append((tick, int(name.split()[1])))
        else:
            for label, kind in labels.items():
                if name.startswith(label):
                    texts.append((tick, kind, name[len(label):]))
    return sorted(notes), sorted(tempos), sorted(texts), run.stderr


def bpm(tempo):
    return 60000 // (tempo // 1000)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    cases = [(1, 480, 1), (2, 960, 1), (3, 96, 1), (4, 480, 0), (5, 1920, 0)]
    for seed, division, file_type in cases:
        source = os.path.join(work, f"mido_{seed}_{division}_{file_type}.mid")
        saved = os.path.join(work, f"ours_{seed}_{division}_{file_type}.mid")
        write_song(source, seed, division, file_type)
        want_notes, want_tempos, want_texts, want_sysex = facts_from_mido(source)
        check(len(want_notes) > 100, "the generated song has its notes")

        # mido wrote it, we read it.
        notes, tempos, texts, stderr = facts_from_dump(tool, source)
        check(stderr == "", f"{source}: unexpected reports {stderr}")
        check(notes == want_notes, f"{source}: notes differ\n{notes[:8]}\n{want_notes[:8]}")
        check(tempos == [(t, bpm(v)) for t, v in want_tempos], f"{source}: tempos differ")
        check(texts == want_texts, f"{source}: texts differ\n{texts}\n{want_texts}")

        # We wrote it, mido reads it.
        run = subprocess.run([tool, "convert", source, saved], capture_output=True, text=True,
                             check=False)
        check(run.returncode == 0, f"convert {source}: {run.stderr}")
        back = mido.MidiFile(saved)
        check(back.type == 1 and back.ticks_per_beat == EDITOR_RESOLUTION,
              f"{saved}: format {back.type}, division {back.ticks_per_beat}")
        check(len(back.tracks) == (5 if file_type == 1 else 17),
              f"{saved}: {len(back.tracks)} tracks")
        got_notes, got_tempos, got_texts, got_sysex = facts_from_mido(saved)
        got_sysex = [s for s in got_sysex if s[1] != ADDED_MASTER_VOLUME]
        check(got_notes == want_notes, f"{saved}: notes differ")
        check(got_tempos == want_tempos, f"{saved}: tempos differ")
        check(got_texts == want_texts, f"{saved}: texts differ\n{got_texts}\n{want_texts}")
        check(got_sysex == want_sysex, f"{saved}: sysex differ\n{got_sysex}\n{want_sysex}")
        print(f"ok {os.path.basename(source)}: {len(want_notes)} notes, {len(want_tempos)} tempos,"
              f" {len(want_texts)} texts, {len(want_sysex)} sysex")
    return 0


if __name__ == "__main__":
    sys.exit(main())
