"""Renders the composition to 44100 Hz 16-bit stereo, normalised, and encodes it as Ogg.

FluidSynth's MIDI player starts notes on its 64-frame processing blocks, which would put
onsets up to 1.5 ms off the grid. So every distinct note is rendered once, alone, from a
"sample sheet" MIDI file, cut out at the block where it starts, and placed into the mix at
its exact frame; mixing, effects and mastering then happen here in numpy.
"""

import math
import os
import subprocess
import tempfile
import wave
from collections import namedtuple

import mido
import numpy as np

import dsp
from tempo import FRAMES_PER_STEP, SONG_FRAMES, STEP, tick_to_frame

SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
RATE = dsp.RATE

# drum: the part plays on the drum channel, program picks the kit. tail: seconds rendered
# after the note's release. bus: where it is mixed (ducked buses follow the kick).
Instrument = namedtuple("Instrument", "program drum gain pan reverb delay bus tail")
INSTRUMENTS = {
    "kick": Instrument(24, True, 1.00, 0.0, 0.00, 0.0, "drums", 0.5),
    "snare": Instrument(24, True, 0.55, 0.0, 0.22, 0.0, "drums", 0.5),
    "clap": Instrument(25, True, 0.45, 0.05, 0.30, 0.0, "drums", 0.5),
    "hat": Instrument(0, True, 0.50, 0.25, 0.05, 0.0, "drums", 0.3),
    "ohat": Instrument(0, True, 0.36, -0.25, 0.08, 0.0, "drums", 0.6),
    "crash": Instrument(0, True, 0.35, -0.1, 0.20, 0.0, "drums", 2.5),
    "tom": Instrument(24, True, 0.45, -0.3, 0.20, 0.0, "drums", 0.6),
    "bass": Instrument(38, False, 0.85, 0.0, 0.00, 0.0, "low", 0.15),
    "wob": Instrument(81, False, 0.85, 0.0, 0.00, 0.0, "wob", 0.15),
    "pad": Instrument(89, False, 0.75, 0.0, 0.35, 0.0, "music", 1.5),
    "choir": Instrument(91, False, 0.40, 0.0, 0.45, 0.0, "music", 1.5),
    "stab": Instrument(90, False, 0.60, 0.0, 0.25, 0.15, "music", 0.4),
    "arp": Instrument(80, False, 0.30, None, 0.20, 0.30, "music", 0.2),
    "lead": Instrument(81, False, 0.50, 0.0, 0.22, 0.25, "lead", 0.4),
    "bell": Instrument(98, False, 0.90, 0.15, 0.45, 0.30, "lead", 2.0),
    "revcym": Instrument(119, False, 0.32, 0.0, 0.10, 0.0, "fx", 0.0),
}
SUB_GAIN = 0.06  # the sine sub-bass under the wobble, made here rather than by the synth
REVCYM_SECONDS = 3.0  # the reverse cymbal is rendered long and placed by its peak
DUCK = {"low": 0.65, "wob": 0.45, "music": 0.45, "lead": 0.2}
SEED = 1105


def sheet_key(note):
    inst = INSTRUMENTS[note.part]
    if note.part == "revcym":
        ms = int(REVCYM_SECONDS * 1000)
    elif inst.drum:
        ms = 200
    else:
        ms = round(note.dur * 0.44e3 / 480)  # tick lengths at 0.44 s a beat
    return (note.part, note.key, note.vel, ms)


def render_sheet(keys, workdir):
    """Renders every distinct (part, key, velocity, milliseconds) once; returns the cuts."""
    keys = sorted(keys)
    mid = mido.MidiFile(ticks_per_beat=1000)  # at 500000 us a beat, a tick is 0.5 ms
    track = mido.MidiTrack()
    mid.tracks.append(track)
    events = []  # (ms, order, message)
    slots = []
    t = 100
    for part, key, vel, ms in keys:
        inst = INSTRUMENTS[part]
        ch = 9 if inst.drum else 0
        tail = int(inst.tail * 1000)
        events.append((t, 0, mido.Message("program_change", channel=ch, program=inst.program)))
        events.append((t, 1, mido.Message("note_on", channel=ch, note=key, velocity=vel)))
        events.append((t + ms, 2, mido.Message("note_off", channel=ch, note=key, velocity=0)))
        # All sound off: the next slot starts from exact silence.
        events.append((t + ms + tail, 3, mido.Message("control_change", channel=ch,
                                                       control=120, value=0)))
        slots.append((t, ms + tail))
        t += ms + tail + 40
    events.sort(key=lambda e: (e[0], e[1]))
    last = 0
    track.append(mido.MetaMessage("set_tempo", tempo=500000, time=0))
    for ms, _, msg in events:
        track.append(msg.copy(time=2 * (ms - last)))
        last = ms
    track.append(mido.MetaMessage("end_of_track", time=2000))
    sheet_mid = os.path.join(workdir, "sheet.mid")
    sheet_raw = os.path.join(workdir, "sheet.raw")
    mid.save(sheet_mid)
    subprocess.run(["fluidsynth", "-n", "-i", "-q", "-R", "0", "-C", "0", "-r", str(RATE),
                    "-g", "0.5", "-o", "synth.polyphony=256", "-O", "float", "-T", "raw",
                    "-F", sheet_raw, SOUNDFONT, sheet_mid], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    audio = np.fromfile(sheet_raw, dtype="<f4").reshape(-1, 2).astype(np.float64)
    cuts = {}
    heads = []
    for k, (start_ms, length_ms) in zip(keys, slots):
        expected = start_ms * RATE // 1000
        window = np.abs(audio[expected - 256:expected + 1024]).max(axis=1)
        sounding = np.nonzero(window > 0)[0]
        if len(sounding) == 0:
            raise RuntimeError(f"sample sheet: {k} rendered silent")
        first = expected - 256 + int(sounding[0])
        onset = first - first % 64  # the processing block in which the note started
        heads.append(first - onset)
        if np.abs(audio[onset - 512:onset]).max() > 0:
            raise RuntimeError(f"sample sheet: {k} does not start from silence")
        frames = length_ms * RATE // 1000
        cut = audio[onset:onset + frames].copy()
        fade = min(len(cut), int(0.004 * RATE))
        cut[len(cut) - fade:] *= np.linspace(1, 0, fade)[:, None]
        cuts[k] = cut
    return cuts, heads


def pan_gains(pan):
    return (min(1.0, 1.0 - pan), min(1.0, 1.0 + pan))


def place(bus, cut, frame, gain, pan):
    if frame < 0:
        cut, frame = cut[-frame:], 0
    end = min(len(bus), frame + len(cut))
    if end <= frame:
        return
    left, right = pan_gains(pan)
    piece = cut[:end - frame]
    bus[frame:end, 0] += piece[:, 0] * gain * left
    bus[frame:end, 1] += piece[:, 1] * gain * right


def sine_sub(bus, note, gain):
    """A sine at the note's pitch, with short ramps, for a clean sub under the wobble."""
    start, end = tick_to_frame(note.tick), tick_to_frame(note.tick + note.dur)
    end = min(end, len(bus))
    n = end - start
    freq = 440.0 * 2 ** ((note.key - 69) / 12)
    t = np.arange(n) / RATE
    env = np.minimum(1.0, np.minimum(t / 0.005, (n - 1 - np.arange(n)) / (0.02 * RATE)))
    tone = np.sin(2 * math.pi * freq * t) * env * gain * note.vel / 127
    bus[start:end, 0] += tone
    bus[start:end, 1] += tone


SWELL_RING = 256  # frames the reverse cymbal sounds after its peak, fading out


def swell_to_peak(cut):
    """The reverse cymbal up to its loudest point and a short fade after it."""
    peak = int(np.argmax(np.abs(cut).max(axis=1)))
    out = cut[:peak + SWELL_RING].copy()
    out[peak:] *= np.linspace(1, 0, len(out) - peak)[:, None]
    return out


def arp_pan(note):
    return 0.35 if (note.tick // STEP) % 2 else -0.35


def mix_parts(song, cuts):
    """Places every note; returns the buses and the reverb and delay sends."""
    frames = SONG_FRAMES
    buses = {name: np.zeros((frames, 2)) for name in ("drums", "low", "wob", "music", "lead",
                                                      "fx")}
    reverb_send = np.zeros((frames, 2))
    delay_send = np.zeros((frames, 2))
    for note in song.notes:
        if note.part == "sub":
            sine_sub(buses["low"], note, SUB_GAIN)
            continue
        inst = INSTRUMENTS[note.part]
        cut = cuts[sheet_key(note)]
        frame = tick_to_frame(note.tick)
        if note.part == "revcym":
            cut = swell_to_peak(cut)
            frame -= len(cut) - SWELL_RING  # its swell peaks on the beat and stops there
        pan = arp_pan(note) if inst.pan is None else inst.pan
        place(buses[inst.bus], cut, frame, inst.gain, pan)
        if inst.reverb:
            place(reverb_send, cut, frame, inst.gain * inst.reverb, pan)
        if inst.delay:
            place(delay_send, cut, frame, inst.gain * inst.delay, pan)
    return buses, reverb_send, delay_send


def span_frames(song, kind):
    return [(tick_to_frame(s.start), tick_to_frame(s.end), s.value)
            for s in song.spans if s.kind == kind]


def apply_wobble(song, wob):
    """Sweeps a resonant low-pass over the wobble bus, one LFO cycle every `value` steps."""
    mono = wob.mean(axis=1)
    out = np.zeros(len(wob))
    spans = sorted(span_frames(song, "wobble"))
    for i, (start, end, rate) in enumerate(spans):
        nxt = spans[i + 1][0] if i + 1 < len(spans) else len(wob)
        stop = min(len(wob), end + int(0.15 * RATE)) if nxt > end else end
        period = rate * FRAMES_PER_STEP
        phase = (np.arange(start, stop) - start) / period
        lfo = 0.5 - 0.5 * np.cos(2 * math.pi * phase)
        cutoff = 110.0 * (2600.0 / 110.0) ** (lfo ** 1.5)
        out[start:stop] = dsp.svf(mono[start:stop], cutoff, 0.35)
    # Slight drive thickens the filtered saw.
    out = np.tanh(out * 2.5) / 2.5
    return np.stack([out, out], axis=1)


def apply_gates(song, bus):
    """Chops the bus into `value`-sixteenth pieces (the "wubwub" stutter)."""
    gain = np.ones(len(bus))
    for start, end, steps in span_frames(song, "gate"):
        period = steps * FRAMES_PER_STEP // 2
        pieces = [(s, s + period * 3 // 5) for s in range(start, end, 2 * period)]
        gate = dsp.ramp_gate(len(bus), pieces, 80)
        gain[start:end] = gate[start:end]
    return bus * gain[:, None]


def risers(song, frames):
    """Noise swells whose band-pass rises from 300 Hz to 9 kHz across each span."""
    out = np.zeros((frames, 2))
    for i, (start, end, level) in enumerate(span_frames(song, "riser")):
        n = end - start
        x = np.linspace(0, 1, n)
        cutoff = 300.0 * 30.0 ** x
        amp = level * x ** 2.2
        for ch in range(2):
            src = dsp.noise(n, SEED + 10 * i + ch)
            out[start:end, ch] += dsp.svf(src, cutoff, 0.7, mode="band") * amp * 0.08
    return out


def mute_gain(song, frames):
    gain = np.ones(frames)
    for start, end, _ in span_frames(song, "mute"):
        gain -= dsp.ramp_gate(frames, [(start, end + 200)], 200)
    return np.clip(gain, 0, 1)


def kick_frames(song):
    return [tick_to_frame(n.tick) for n in song.notes if n.part == "kick"]


def mix(song, cuts):
    frames = SONG_FRAMES
    buses, reverb_send, delay_send = mix_parts(song, cuts)
    buses["wob"] = apply_gates(song, apply_wobble(song, buses["wob"]))
    buses["fx"] += risers(song, frames)
    duck = dsp.duck_envelope(frames, kick_frames(song))
    for name, depth in DUCK.items():
        buses[name] *= (1.0 - depth * duck)[:, None]
    mute = mute_gain(song, frames)[:, None]
    dry = sum(buses[name] for name in ("drums", "low", "wob", "music", "lead")) * mute
    reverb = dsp.convolve(reverb_send * mute, dsp.reverb_ir(2.6, SEED)) * 0.5
    delay = dsp.pingpong(delay_send * mute, 3 * FRAMES_PER_STEP, 0.4)
    master = dry + buses["fx"] + reverb * (1.0 - 0.3 * duck)[:, None] + delay
    return master, buses


def master_to_pcm(master, meter, ceiling_db, target_lufs=-14.0):
    """Gain to the target loudness with sample peaks limited to the ceiling; int16 frames."""
    ceiling = 10 ** (ceiling_db / 20)
    loud, _ = meter.measure(master)
    gain = 10 ** ((target_lufs - loud) / 20)
    for _ in range(8):
        limited = dsp.limit(master * gain, ceiling)
        loud, peak = meter.measure(limited)
        if abs(loud - target_lufs) < 0.05:
            break
        gain *= 10 ** ((target_lufs - loud) / 20)
    # Fade the last 20 ms so the file ends on silence.
    fade = int(0.02 * RATE)
    limited[-fade:] *= np.linspace(1, 0, fade)[:, None]
    pcm = np.clip(np.round(limited * 32767.0), -32768, 32767).astype("<i2")
    return pcm, loud, peak


def write_wav(path, pcm):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())


def encode_ogg(wav_path, ogg_path, title):
    # A fixed serial number: oggenc picks a random one otherwise.
    subprocess.run(["oggenc", "-Q", "-q", "5", "--serial", "1105", "-t", title,
                    "-a", "Quorvel feat. Tessane", "-o", ogg_path, wav_path], check=True)


def check_decoded(ogg_path, pcm, workdir):
    """Peak of the decoded Ogg in dBFS, and its offset in frames against the PCM (which
    must be 0: no encoder delay left in the stream) found by cross-correlating a second
    of each around the first drop."""
    raw = os.path.join(workdir, "check.raw")
    subprocess.run(["oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-o", raw, ogg_path],
                   check=True)
    decoded = np.fromfile(raw, dtype="<i2").reshape(-1, 2)
    if len(decoded) != len(pcm):
        raise RuntimeError(f"{ogg_path}: decodes to {len(decoded)} frames, not {len(pcm)}")
    peak = max(1, int(np.abs(decoded.astype(np.int32)).max()))
    start = tick_to_frame(24 * 1920) - RATE // 2
    a = decoded[start:start + RATE, 0].astype(np.float64)
    b = pcm[start:start + RATE, 0].astype(np.float64)
    corr = np.fft.irfft(np.fft.rfft(a, 2 * RATE) * np.conj(np.fft.rfft(b, 2 * RATE)))
    lag = int(np.argmax(corr))
    lag = lag - 2 * RATE if lag > RATE else lag
    return 20 * math.log10(peak / 32768.0), lag


def render_song(song, ogg_path, report, max_peak_db=-1.2):
    """Renders, masters and encodes; lowers the limiter's ceiling until the decoded Ogg's
    peaks (which lossy coding raises above the PCM's) stay at or below max_peak_db."""
    meter = dsp.Ebur128()
    with tempfile.TemporaryDirectory() as workdir:
        keys = {sheet_key(n) for n in song.notes if n.part != "sub"}
        report(f"rendering {len(keys)} distinct notes with FluidSynth")
        cuts, heads = render_sheet(keys, workdir)
        report(f"note heads: first sound 0 to {max(heads)} frames after the note's start"
               f" ({sum(h == 0 for h in heads)} at 0, {sum(h == 1 for h in heads)} at 1)")
        report("mixing")
        master, _ = mix(song, cuts)
        ceiling_db = -2.0
        wav_path = os.path.join(workdir, "song.wav")
        while True:
            pcm, loud, peak = master_to_pcm(master, meter, ceiling_db)
            write_wav(wav_path, pcm)
            encode_ogg(wav_path, ogg_path, "Brannoch (2-bar edit)")
            decoded, lag = check_decoded(ogg_path, pcm, workdir)
            report(f"ceiling {ceiling_db:.1f} dBFS: {loud:.2f} LUFS, true peak {peak:.2f} dBTP,"
                   f" decoded peak {decoded:.2f} dBFS, decoded lag {lag} frames")
            if decoded <= max_peak_db:
                return pcm
            ceiling_db -= max(0.2, decoded - max_peak_db)
