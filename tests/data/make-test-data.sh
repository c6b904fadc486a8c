#!/usr/bin/env bash
# Remakes the small audio, MIDI and scene inputs of the tests in this folder (they are committed;
# run this only to change them). Needs sox, vorbis-tools and Debian's python3-mido.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One second of 440 Hz on the left and 660 Hz on the right, 44100 Hz 16-bit stereo.
sox -D -n -r 44100 -b 16 -c 2 "$work/tone.wav" synth 1 sine 440 sine 660 vol 0.5
oggenc -Q -q 2 --serial 1 -o tone-1s.ogg "$work/tone.wav"
# The same sound in formats the library refuses.
sox -D -n -r 44100 -b 16 -c 1 "$work/mono.wav" synth 0.2 sine 440 vol 0.5
oggenc -Q -q 2 --serial 2 -o mono-44100.ogg "$work/mono.wav"
sox -D -n -r 48000 -b 16 -c 2 "$work/48k.wav" synth 0.2 sine 440 sine 660 vol 0.5
oggenc -Q -q 2 --serial 3 -o stereo-48000.ogg "$work/48k.wav"
# Three seconds cut off after two thirds of the file (in the middle of an audio page), as a
# file broken off while being copied.
sox -D -n -r 44100 -b 16 -c 2 "$work/long.wav" synth 3 sine 440 sine 660 vol 0.5
oggenc -Q -q 2 --serial 4 -o "$work/long.ogg" "$work/long.wav"
head -c "$(( $(stat -c %s "$work/long.ogg") * 2 / 3 ))" "$work/long.ogg" >truncated.ogg
# Not Ogg at all.
printf 'This is a text file with the wrong name, not an Ogg Vorbis stream.\n' >not-ogg.ogg

/usr/bin/python3 make_tempo_change_mid.py tempo-change.mid
# The small Collada scenes of the scene tests.
/usr/bin/python3 make_scene_files.py
