#!/usr/bin/env python3
# Synthesises the game's sound effects and music and writes them as Ogg Vorbis through libsndfile:
#   python3 tools/make_sounds.py [repository folder]
# Everything is made from sine waves, noise and envelopes with fixed seeds, so a run gives the same
# sounds again. Effects go to Content/Sounds, the music tracks to Content/Music.

import ctypes
import ctypes.util
import math
import os
import random
import sys

RATE = 22050


# --- Writing -------------------------------------------------------------------------------------

class SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


SFM_WRITE = 0x20
SF_FORMAT_OGG = 0x200000
SF_FORMAT_VORBIS = 0x0060
SFC_SET_VBR_ENCODING_QUALITY = 0x1300

_sndfile = None


def sndfile():
    global _sndfile
    if _sndfile is None:
        name = ctypes.util.find_library("sndfile") or "libsndfile.so.1"
        _sndfile = ctypes.CDLL(name)
        _sndfile.sf_open.restype = ctypes.c_void_p
        _sndfile.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(SfInfo)]
        _sndfile.sf_command.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
        _sndfile.sf_write_short.restype = ctypes.c_int64
        _sndfile.sf_write_short.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_short), ctypes.c_int64]
        _sndfile.sf_close.argtypes = [ctypes.c_void_p]
        _sndfile.sf_strerror.restype = ctypes.c_char_p
        _sndfile.sf_strerror.argtypes = [ctypes.c_void_p]
    return _sndfile


def write_ogg(path, samples, channels=1, quality=0.3):
    """Writes interleaved float samples (-1..1) as Ogg Vorbis, peak-normalised to 0.9."""
    lib = sndfile()
    peak = max(1e-9, max(abs(s) for s in samples))
    gain = 0.9 / peak
    info = SfInfo(0, RATE, channels, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0, 0)
    handle = lib.sf_open(path.encode(), SFM_WRITE, ctypes.byref(info))
    if not handle:
        raise RuntimeError("cannot write %s: %s" % (path, lib.sf_strerror(None).decode()))
    q = ctypes.c_double(quality)
    lib.sf_command(handle, SFC_SET_VBR_ENCODING_QUALITY, ctypes.byref(q), ctypes.sizeof(q))
    data = (ctypes.c_short * len(samples))(*[int(max(-1.0, min(1.0, s * gain)) * 32767) for s in samples])
    lib.sf_write_short(handle, data, len(samples))
    lib.sf_close(handle)


# --- Building blocks -------------------------------------------------------------------------------

def silence(seconds):
    return [0.0] * int(seconds * RATE)


def mix(target, source, start=0.0, gain=1.0):
    offset = int(start * RATE)
    if len(target) < offset + len(source):
        target.extend([0.0] * (offset + len(source) - len(target)))
    for i, s in enumerate(source):
        target[offset + i] += s * gain
    return target


def envelope(n, attack, release, shape=3.0):
    """Attack in seconds, then an exponential fall over the rest (release sets how fast)."""
    a = max(1, int(attack * RATE))
    out = []
    for i in range(n):
        if i < a:
            out.append(i / a)
        else:
            out.append(math.exp(-shape * (i - a) / max(1.0, release * RATE)))
    return out


def tone(freq, seconds, attack=0.005, release=None, partials=((1, 1.0),), glide=0.0, vibrato=0.0):
    """A note: sine partials (ratio, level) under an envelope; glide bends the pitch by that ratio."""
    n = int(seconds * RATE)
    env = envelope(n, attack, release if release else seconds)
    out = []
    phase = [0.0] * len(partials)
    for i in range(n):
        t = i / n
        f = freq * (1.0 + glide * t) * (1.0 + vibrato * math.sin(2 * math.pi * 5.5 * i / RATE))
        s = 0.0
        for k, (ratio, level) in enumerate(partials):
            phase[k] += 2 * math.pi * f * ratio / RATE
            s += level * math.sin(phase[k])
        out.append(s * env[i])
    return out


def noise(seconds, seed, cutoff_from, cutoff_to, attack=0.05):
    """Noise through a one-pole low-pass whose cut-off sweeps from one frequency to another."""
    rng = random.Random(seed)
    n = int(seconds * RATE)
    env = envelope(n, attack, seconds * 0.6)
    out = []
    y = 0.0
    for i in range(n):
        cutoff = cutoff_from + (cutoff_to - cutoff_from) * i / n
        a = 1.0 - math.exp(-2 * math.pi * cutoff / RATE)
        y += a * (rng.uniform(-1, 1) - y)
        out.append(y * env[i])
    return out


def note_freq(name):
    """'A4', 'C#5', 'Eb3' -> frequency."""
    steps = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    n = steps[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        n += 1
        rest = rest[1:]
    elif rest.startswith("b"):
        n -= 1
        rest = rest[1:]
    return 440.0 * 2 ** ((n + 12 * (int(rest) - 4)) / 12)


BELL = ((1, 1.0), (2.76, 0.45), (5.4, 0.25), (8.93, 0.12))
ORGAN = ((1, 1.0), (2, 0.4), (3, 0.2))
SOFT = ((1, 1.0), (2, 0.15))


# --- Effects ---------------------------------------------------------------------------------------

def respawn():
    swoosh = noise(0.7, 11, 300, 4500, attack=0.25)
    rise = tone(220, 0.7, attack=0.3, partials=SOFT, glide=2.0)
    return mix(swoosh, rise, 0.0, 0.3)


def power_up():
    out = silence(0.1)
    for i, n in enumerate(["C5", "E5", "G5", "C6"]):
        mix(out, tone(note_freq(n), 0.6, partials=BELL, release=0.3), i * 0.08, 0.6)
    return out


def score(freq):
    return mix(tone(freq, 0.22, partials=SOFT, release=0.08), tone(freq * 1.5, 0.18, partials=SOFT, release=0.06),
               0.05, 0.6)


def bumper():
    thump = tone(110, 0.35, attack=0.002, partials=SOFT, glide=-0.5, release=0.12)
    knock = noise(0.08, 23, 2000, 400, attack=0.001)
    return mix(thump, knock, 0.0, 0.5)


def check_point():
    out = tone(note_freq("A5"), 1.4, attack=0.002, partials=BELL, release=0.5)
    return mix(out, tone(note_freq("E6"), 1.0, attack=0.002, partials=BELL, release=0.4), 0.15, 0.5)


def final_power_up():
    out = []
    melody = [("G4", 0.0, 0.18), ("C5", 0.18, 0.18), ("E5", 0.36, 0.18), ("G5", 0.54, 0.5), ("E5", 1.04, 0.16),
              ("G5", 1.2, 1.0)]
    for n, start, length in melody:
        mix(out, tone(note_freq(n), length + 0.2, attack=0.01, partials=ORGAN, release=length), start, 0.5)
    for n in ["C4", "E4", "G4", "C5"]:
        mix(out, tone(note_freq(n), 1.2, attack=0.05, partials=SOFT, release=0.8), 1.2, 0.25)
    return out


def time_attack_over():
    out = []
    for i, n in enumerate(["E5", "C5", "A4"]):
        mix(out, tone(note_freq(n), 0.5, attack=0.005, partials=ORGAN, release=0.25), i * 0.22, 0.5)
    mix(out, tone(note_freq("A3"), 1.0, attack=0.01, partials=ORGAN, release=0.6), 0.66, 0.5)
    return out


# --- Music -----------------------------------------------------------------------------------------

def track(chords, melody, beat, seed, bars_per_chord=1, repeats=2):
    """A short piece: pad chords, a walking bass and a melody over them, soft noise on the off-beats."""
    rng = random.Random(seed)
    out = []
    t = 0.0
    for _ in range(repeats):
        for chord in chords:
            length = 4 * beat * bars_per_chord
            for n in chord:
                mix(out, tone(note_freq(n), length + 0.3, attack=0.4, partials=SOFT, release=length), t, 0.12)
            root = note_freq(chord[0]) / 2
            for b in range(4 * bars_per_chord):
                f = root * (1.5 if b % 4 == 2 else 1.0)
                mix(out, tone(f, beat * 0.9, attack=0.01, partials=ORGAN, release=beat * 0.5), t + b * beat, 0.25)
                mix(out, noise(0.05, rng.randint(0, 10 ** 6), 6000, 3000, attack=0.001), t + (b + 0.5) * beat, 0.05)
            t += length
    m = 0.0
    while m < t - beat:
        for n, beats in melody:
            if m >= t - beat:
                break
            if n:
                mix(out, tone(note_freq(n), beats * beat + 0.1, attack=0.02, partials=BELL, release=beats * beat),
                    m, 0.22)
            m += beats * beat
    return mix(out, silence(1.0), t)


def music_one():
    chords = [["C4", "E4", "G4"], ["A3", "C4", "E4"], ["F3", "A3", "C4"], ["G3", "B3", "D4"]]
    melody = [("E5", 1), ("G5", 1), ("C6", 2), ("B5", 1), ("A5", 1), ("E5", 2), ("F5", 1), ("A5", 1), ("C6", 1),
              ("A5", 1), ("G5", 2), ("D5", 1), (None, 1)]
    return track(chords, melody, 0.42, 5, repeats=3)


def music_two():
    chords = [["D4", "F4", "A4"], ["Bb3", "D4", "F4"], ["G3", "Bb3", "D4"], ["A3", "C#4", "E4"]]
    melody = [("A5", 1.5), ("F5", 0.5), ("D5", 1), ("E5", 1), ("F5", 1), ("G5", 1), ("A5", 2), ("Bb5", 1),
              ("A5", 1), ("G5", 1), ("E5", 1), ("C#5", 2), (None, 2)]
    return track(chords, melody, 0.36, 9, repeats=3)


def main():
    repo = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    sounds = os.path.join(repo, "Content", "Sounds")
    music = os.path.join(repo, "Content", "Music")
    os.makedirs(sounds, exist_ok=True)
    os.makedirs(music, exist_ok=True)
    effects = {
        "respawn": respawn(),
        "powerUp": power_up(),
        "score1": score(note_freq("E6")),
        "score2": score(note_freq("G6")),
        "bumper": bumper(),
        "checkPoint": check_point(),
        "finalPowerUp": final_power_up(),
        "timeAttackOver": time_attack_over(),
    }
    for name, samples in effects.items():
        write_ogg(os.path.join(sounds, name + ".ogg"), samples)
    write_ogg(os.path.join(music, "track1.ogg"), music_one(), quality=0.2)
    write_ogg(os.path.join(music, "track2.ogg"), music_two(), quality=0.2)


if __name__ == "__main__":
    main()
