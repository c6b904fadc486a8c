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
# A chained file whose second part is cut inside its headers: refused. Debian's libvorbis
# leaks as it gives up on it; the cache's build with our fixes, which the Ogg fuzzer uses
# (this is one of its seeds), must not.
cat tone-1s.ogg >chained-cut.ogg
head -c 3000 mono-44100.ogg >>chained-cut.ogg
# Four seconds with bytes of its second audio page overwritten, as a file damaged on disk:
# the page fails its checksum, and the rest of the file is heard as silence.
sox -D -n -r 44100 -b 16 -c 2 "$work/four.wav" synth 4 sine 440 sine 660 vol 0.5
oggenc -Q -q 2 --serial 5 -o damaged.ogg "$work/four.wav"
/usr/bin/python3 - damaged.ogg <<'DAMAGE'
import sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
pages = [at for at in range(len(data)) if data[at:at + 4] == b"OggS"]
middle = (pages[3] + pages[4]) // 2  # pages 0 and 1 hold the headers
data[middle:middle + 64] = bytes(64)
open(path, "wb").write(data)
DAMAGE
# The one-second tone with four bytes of its first codebook rotated and the page's checksum
# set again (found by the Ogg fuzzer): the headers read, the decoder cannot be set up.
/usr/bin/python3 - tone-1s.ogg damaged-codebook.ogg <<'CODEBOOK'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[198:202] = data[199:202] + data[198:199]
page, end = 58, 58 + 3907  # the page of the comment and setup headers
data[page + 22:page + 26] = bytes(4)
crc = 0
for byte in data[page:end]:
    crc ^= byte << 24
    for _ in range(8):
        crc = ((crc << 1) ^ 0x04C11DB7 if crc & 0x80000000 else crc << 1) & 0xFFFFFFFF
data[page + 22:page + 26] = crc.to_bytes(4, "little")
open(sys.argv[2], "wb").write(data)
CODEBOOK
# Not Ogg at all.
printf 'This is a text file with the wrong name, not an Ogg Vorbis stream.\n' >not-ogg.ogg

/usr/bin/python3 make_tempo_change_mid.py tempo-change.mid
# The small Collada scenes of the scene tests.
/usr/bin/python3 make_scene_files.py
