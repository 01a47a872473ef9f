#!/usr/bin/python3
"""Reads every public edge-case file with mido and with `zentory-smf`, both ways.

usage: mido_public.py ZENTORY_SMF TESTDATA_DIR WORK_DIR

For every file mido can read, `zentory-smf dump` must give mido's notes (mido pairs each note-on
with the first free note-off of its channel and key; a note-on left without one ends at the next
note-on of its key, or at the end of its track, as the editor reads it). `zentory-smf convert`
must then write a file in which mido finds the same notes and every meta and system exclusive
message of the original, byte for byte. Files mido refuses are only loaded and converted, which
must not crash. Exits 77 (skipped) when the test data folder is absent.
"""
import collections
import os
import subprocess
import sys

import mido

import testdata

RES = 480
ADDED_MASTER_VOLUME = (0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F)  # the reader's fix-up


def notes_of(mid):
    """(start, channel, key, velocity, length) at 480 ticks, zero-length notes left out."""
    div, out = mid.ticks_per_beat, []
    for track in mid.tracks:
        now, ons, sounding = 0, [], collections.defaultdict(collections.deque)
        for m in track:
            now += m.time
            if m.type == "note_on" and m.velocity > 0:
                note = [now, m.channel, m.note, m.velocity, None]
                ons.append(note)
                sounding[(m.channel, m.note)].append(note)
            elif m.type in ("note_off", "note_on") and sounding[(m.channel, m.note)]:
                note = sounding[(m.channel, m.note)].popleft()
                note[4] = now
        following = {}
        for note in reversed(ons):  # the next note-on of each key, from the back
            key = (note[1], note[2])
            if note[4] is None:
                note[4] = following.get(key, now)
            following[key] = note[0]
        for start, channel, key, velocity, end in ons:
            if end > start:
                length = max(1, (end - start) * RES // div)
                out.append((start * RES // div, channel, key, velocity, length))
    return sorted(out)


def messages_of(mid):
    """Every meta (but end of track) and system exclusive message with its tick at 480."""
    div, out = mid.ticks_per_beat, []
    for track in mid.tracks:
        now = 0
        for m in track:
            now += m.time
            if m.is_meta and m.type != "end_of_track" or m.type == "sysex":
                out.append((now * RES // div, bytes(m.bytes())))
    return sorted(out)


def dump_notes(tool, path):
    run = subprocess.run([tool, "dump", path], capture_output=True, text=True, check=False)
    assert run.returncode == 0, (path, run.stderr)
    notes, channel = [], 255
    for line in run.stdout.splitlines():
        if "\t" not in line:
            channel = int(line.split()[-1])
            continue
        tick, name = line.split("\t", 1)
        if name.startswith("ノート "):
            key, length, vel = (int(x) for x in name.split()[1:4])
            notes.append((int(tick), channel, key, vel, length))
    return sorted(notes)


def main():
    tool, work = sys.argv[1], sys.argv[3]
    data = testdata.folder(sys.argv[2])
    os.makedirs(work, exist_ok=True)
    checked, failed = 0, []
    for name in sorted(os.listdir(data)):
        if not name.endswith(".mid"):
            continue
        try:
            checked += check(tool, data, work, name)
        except AssertionError as e:
            failed.append(str(e))
    assert not failed, "\n".join(failed)
    assert checked >= 60, f"only {checked} files were read by mido"
    print(f"ok: {checked} files give mido's notes and keep their meta and sysex bytes")
    return 0


def check(tool, data, work, name):
    """1 when mido reads NAME and both checks pass, 0 when mido refuses it."""
    source, saved = os.path.join(data, name), os.path.join(work, name)
    try:
        mid = mido.MidiFile(source)
    except (OSError, EOFError, ValueError, KeyError):
        for command in (["dump", source], ["convert", source, saved]):
            run = subprocess.run([tool] + command, capture_output=True, check=False)
            assert run.returncode in (0, 1), (name, run.returncode)
        return 0
    want = notes_of(mid)
    assert dump_notes(tool, source) == want, f"{name}: notes differ from mido's"

    run = subprocess.run([tool, "convert", source, saved], capture_output=True, text=True)
    assert run.returncode == 0, (name, run.stderr)
    back = mido.MidiFile(saved)
    assert notes_of(back) == want, f"{saved}: notes changed on convert"
    before, after = messages_of(mid), messages_of(back)
    added = (0, bytes(mido.Message("sysex", data=ADDED_MASTER_VOLUME).bytes()))
    if after.count(added) > before.count(added):
        after.remove(added)
    assert after == before, f"{saved}: meta or sysex bytes differ\n{before}\n{after}"
    return 1


if __name__ == "__main__":
    sys.exit(main())
