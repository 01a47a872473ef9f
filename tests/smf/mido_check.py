#!/usr/bin/python3
"""Cross-checks our SMF reader and writer with mido, an independent reader.

usage: mido_check.py ZENTORY_SMF WORK_DIR

Songs with several channels, chords, overlapping notes of one key, system exclusive messages,
Japanese texts and tempo changes are written by mido at several divisions in both formats.
`zentory-smf dump` must read the same notes, tempos and texts from them (mido -> us), and mido
must read the same notes, tempos, texts and system exclusive messages from the file
`zentory-smf convert` writes (us -> mido).
"""
import collections
import os
import subprocess
import sys

import mido

RES = 480
ADDED_MASTER_VOLUME = (0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F)  # the reader's fix-up
LABELS = {"text": "テキスト　", "lyrics": "歌詞　", "marker": "マーカー　", "track_name": "タイトル "}


def latin(text):  # mido holds meta texts as latin-1; the file holds CP932 bytes
    return text.encode("cp932").decode("latin-1")


def song(seed):
    """(tick at 480, message) lists: the master track, then four channel tracks."""
    master = [(0, mido.MetaMessage("track_name", name=latin("曲名テスト"))),
              (0, mido.MetaMessage("set_tempo", tempo=500000)),
              (0, mido.Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01])),
              (480, mido.MetaMessage("marker", text=latin("サビ"))),
              (960, mido.MetaMessage("set_tempo", tempo=400000)),
              (1440, mido.MetaMessage("text", text=latin("テキスト・ｶﾀｶﾅ"))),
              (1920, mido.Message("sysex", data=[0x41, 0x10, 0x42, 0x12, 0x40, 0, 0x7F, 0, 0x41])),
              (2400, mido.MetaMessage("lyrics", text=latin("歌詞"))),
              (2880, mido.MetaMessage("set_tempo", tempo=600000 + seed))]
    tracks = [master]
    for n, ch in enumerate([0, 1, 9, 15]):
        ev = [(0, mido.Message("program_change", channel=ch, program=(seed * 7 + n) % 128))]
        for step in range(24):
            tick, key = step * 240, 60 + (step * 5 + n) % 24
            length = 120 * (1 + (step + n + seed) % 4)
            keys = [key, key + 4, key + 7] if step % 3 == 0 else [key]  # chords
            if step % 5 == 2:
                keys.append(key)  # the same key again while it sounds: first in, first out
            for i, k in enumerate(keys):
                start = tick + (60 if i == 3 or (i == 1 and len(keys) == 2) else 0)
                ev.append((start, mido.Message("note_on", channel=ch, note=k,
                                               velocity=40 + (step * 11 + k + i) % 80)))
                ev.append((start + length, mido.Message("note_off", channel=ch, note=k)))
            if step % 7 == 3:
                ev.append((tick, mido.Message("control_change", channel=ch, control=7, value=step)))
                ev.append((tick, mido.Message("pitchwheel", channel=ch, pitch=step * 100 - 1200)))
        tracks.append(ev)
    return tracks


def write(path, seed, division, file_type):
    tracks = song(seed)
    if file_type == 0:
        tracks = [[e for t in tracks for e in t]]
    mid = mido.MidiFile(type=file_type, ticks_per_beat=division)
    for events in tracks:
        track, now = mido.MidiTrack(), 0
        for tick, m in sorted(events, key=lambda e: (e[0], e[1].type != "note_off")):
            track.append(m.copy(time=(tick - now) * division // RES))
            now = tick
        track.append(mido.MetaMessage("end_of_track", time=division))
        mid.tracks.append(track)
    mid.save(path)


def read_mido(path):
    """Notes, tempos, texts and sysex of a file at 480 ticks per quarter note."""
    mid = mido.MidiFile(path)
    facts = collections.defaultdict(list)
    for track in mid.tracks:
        now, sounding = 0, collections.defaultdict(collections.deque)
        for m in track:
            now += m.time
            tick = now * RES // mid.ticks_per_beat
            if m.type == "note_on" and m.velocity > 0:
                sounding[(m.channel, m.note)].append((tick, m.velocity))
            elif m.type in ("note_off", "note_on") and sounding[(m.channel, m.note)]:
                start, vel = sounding[(m.channel, m.note)].popleft()
                facts["notes"].append((start, m.channel, m.note, vel, tick - start))
            elif m.type == "set_tempo":
                facts["tempos"].append((tick, m.tempo))
            elif m.type in LABELS:
                text = m.name if m.type == "track_name" else m.text
                facts["texts"].append((tick, m.type, text.encode("latin-1").decode("cp932")))
            elif m.type == "sysex" and tuple(m.data) != ADDED_MASTER_VOLUME:
                facts["sysex"].append((tick, tuple(m.data)))
    return {k: sorted(v) for k, v in facts.items()}, mid


def read_ours(tool, path):
    """The same facts as `zentory-smf dump` shows them (tempos in whole beats per minute)."""
    run = subprocess.run([tool, "dump", path], capture_output=True, text=True, check=False)
    assert run.returncode == 0 and run.stderr == "", run.stderr
    facts, channel = collections.defaultdict(list), 255
    for line in run.stdout.splitlines():
        if "\t" not in line:
            channel = int(line.split()[-1])
            continue
        tick, name = line.split("\t", 1)
        if name.startswith("ノート "):
            key, length, vel = (int(x) for x in name.split()[1:4])
            facts["notes"].append((int(tick), channel, key, vel, length))
        elif name.startswith("テンポ "):
            facts["tempos"].append((int(tick), int(name.split()[1])))
        for kind, label in LABELS.items():
            if name.startswith(label):
                facts["texts"].append((int(tick), kind, name[len(label):]))
    return {k: sorted(v) for k, v in facts.items()}


def main():
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    for seed, division, file_type in [(1, 480, 1), (2, 960, 1), (3, 96, 1), (4, 480, 0),
                                      (5, 1920, 0)]:
        source = os.path.join(work, f"mido_{seed}.mid")
        saved = os.path.join(work, f"ours_{seed}.mid")
        write(source, seed, division, file_type)
        want, _ = read_mido(source)
        assert len(want["notes"]) == 4 * 45, "the generated song has its notes"

        ours = read_ours(tool, source)
        assert ours["notes"] == want["notes"], f"{source}: notes differ"
        bpm = [(t, 60000 // (v // 1000)) for t, v in want["tempos"]]
        assert ours["tempos"] == bpm, f"{source}: tempos differ"
        assert ours["texts"] == want["texts"], f"{source}: {ours['texts']} {want['texts']}"

        run = subprocess.run([tool, "convert", source, saved], capture_output=True, text=True)
        assert run.returncode == 0, run.stderr
        back, mid = read_mido(saved)
        assert (mid.type, mid.ticks_per_beat, len(mid.tracks)) == (1, RES, 5 if file_type else 17)
        for kind in ("notes", "tempos", "texts", "sysex"):
            assert back[kind] == want[kind], f"{saved}: {kind} differ {back[kind]} {want[kind]}"
        print(f"ok {source}: {', '.join(f'{len(v)} {k}' for k, v in want.items())}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
