"""Captures the production to a video with its music: runs demo-capture under Wine (the
production frame by frame on a hand-driven clock), takes every raw frame from it through a
named pipe, hashes it, and hands it to ffmpeg with the stretch of the song the frames span.

    capture.py [--size WxH] [--fps N] [--from S] [--to S] [--hashes FILE|-] [OUTPUT]

OUTPUT is NAME.mp4 (H.264 and AAC), NAME.mkv (lossless: FFV1 and FLAC) or FOLDER/ (lossless:
one PNG per frame, named by frame number, and the music as music.flac). Without OUTPUT only
the hashes are made. Runs inside tools/harness.sh (a display for the window, `wine` on PATH);
tools/capture.sh does that. Debian's /usr/bin/python3, standard library only."""

import argparse
import csv
import hashlib
import os
import pathlib
import select
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
DEFAULT_EXE = ROOT / "out" / "windows" / "tools" / "capture" / "demo-capture.exe"
BYTES_PER_SECOND = 44100 * 4
HASH_FIELDS = ["frame", "seconds", "position", "marker", "scene", "scene_time", "overlay",
               "sha256"]


class CaptureError(Exception):
    pass


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="tools/capture.sh", description="Captures the production to a video with its "
        "music, frame by frame at a fixed step.")
    parser.add_argument("output", nargs="?", help="NAME.mp4 (H.264, AAC), NAME.mkv (FFV1, "
                        "FLAC: lossless) or FOLDER/ (PNG per frame and music.flac)")
    parser.add_argument("--size", metavar="WxH", help="WIDTHxHEIGHT (default 1920x1080)")
    parser.add_argument("--fps", metavar="N", help="frames per second (default 60)")
    parser.add_argument("--from", dest="start", metavar="SECONDS",
                        help="the first frame at or after this time (default 0)")
    parser.add_argument("--to", metavar="SECONDS",
                        help="the frames before this time (default: to the end of the music)")
    parser.add_argument("--hashes", metavar="FILE",
                        help="write a SHA-256 of every frame's RGBA pixels, with its position "
                        "and section, to this CSV file ('-': print them)")
    parser.add_argument("--quality", type=int, default=16, metavar="CRF",
                        help="H.264 constant rate factor (default 16; lower is better)")
    parser.add_argument("--exe", default=str(DEFAULT_EXE), help=argparse.SUPPRESS)
    arguments = parser.parse_args(argv)
    if not arguments.output and not arguments.hashes:
        parser.error("give an OUTPUT file or folder, or --hashes")
    if arguments.output:
        output_kind(arguments.output)
    return arguments


class Plan:
    """What demo-capture announces before its first frame."""

    def __init__(self, fields, run_folder):
        (self.first_frame, self.end_frame, self.fps, self.width, self.height,
         self.first_sample, self.end_sample) = (int(field) for field in fields[:7])
        self.music = run_folder / fields[7].replace("\\", "/")

    @property
    def frames(self):
        return self.end_frame - self.first_frame

    @property
    def frame_bytes(self):
        return self.width * self.height * 4


def output_kind(output):
    if output.endswith("/") or os.path.isdir(output):
        return "png"
    suffix = pathlib.Path(output).suffix.lower()
    if suffix in (".mp4", ".mkv"):
        return suffix[1:]
    raise CaptureError(f"{output}: write NAME.mp4, NAME.mkv or a FOLDER/")


def check_even(width, height):
    if width % 2 or height % 2:
        raise CaptureError(f"H.264 wants an even width and height, not {width}x{height}: "
                           "choose another size, or .mkv or a FOLDER/")


def encoder_command(output, plan, quality):
    """ffmpeg reading raw RGBA frames on its standard input and the music file, writing
    output with the music from the plan's first sample to its end sample under the frames."""
    inputs = ["-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", f"{plan.width}x{plan.height}",
              "-framerate", str(plan.fps), "-i", "pipe:0", "-i", str(plan.music)]
    # Options stand before the output they are for.
    music = ["-map", "1:a", "-filter:a",
             f"atrim=start_sample={plan.first_sample}:end_sample={plan.end_sample},"
             "asetpts=PTS-STARTPTS"]
    lossless_music = [*music, "-c:a", "flac", "-sample_fmt", "s16"]  # as the song is played
    kind = output_kind(output)
    if kind == "mp4":
        check_even(plan.width, plan.height)
        # The frames are sRGB; the video says BT.709, as players expect of HD pictures.
        outputs = ["-map", "0:v", "-c:v", "libx264", "-preset", "medium", "-crf", str(quality),
                   "-vf", "scale=out_color_matrix=bt709:out_range=tv", "-pix_fmt", "yuv420p",
                   "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
                   *music, "-c:a", "aac", "-b:a", "256k", "-movflags", "+faststart", output]
    elif kind == "mkv":
        outputs = ["-map", "0:v", "-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0",
                   *lossless_music, output]
    else:
        folder = pathlib.Path(output)
        folder.mkdir(parents=True, exist_ok=True)
        outputs = ["-map", "0:v", "-c:v", "png", "-pix_fmt", "rgb24",
                   "-start_number", str(plan.first_frame), str(folder / "frame-%06d.png"),
                   *lossless_music, str(folder / "music.flac")]
    return ["ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y", *inputs, *outputs]


class Progress:
    """Frames done, frames per second and time left: one line kept up to date on a
    terminal, else a line every ten seconds."""

    def __init__(self, total):
        self.total, self.done = total, 0
        self.started = self.shown = time.monotonic()
        self.terminal = sys.stderr.isatty()

    def frame_done(self):
        self.done += 1
        now = time.monotonic()
        if self.terminal or now - self.shown >= 10 or self.done == self.total:
            self.shown = now
            self.show(now)

    def show(self, now):
        elapsed = now - self.started
        rate = self.done / elapsed if elapsed > 0 else 0.0
        left = (self.total - self.done) / rate if rate > 0 else 0.0
        text = (f"frame {self.done}/{self.total} ({100 * self.done // self.total}%), "
                f"{rate:.2f} frames/s, {duration(left)} left")
        if self.terminal:
            end = "\n" if self.done == self.total else ""
            sys.stderr.write(f"\r{text}\033[K{end}")
        else:
            sys.stderr.write(text + "\n")
        sys.stderr.flush()

    def rate(self):
        return self.done / max(time.monotonic() - self.started, 1e-9)


def duration(seconds):
    seconds = round(seconds)
    return f"{seconds // 3600}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"


class HashList:
    """One CSV row per frame, written as it comes."""

    def __init__(self, path):
        self.file = None
        if path == "-":
            self.file = sys.stdout
        elif path:
            self.file = open(path, "w", newline="")
        self.writer = csv.writer(self.file) if self.file else None
        if self.writer:
            self.writer.writerow(HASH_FIELDS)

    def add(self, fields, digest):
        if self.writer:
            frame, position, marker, scene, scene_time, overlay = fields
            self.writer.writerow([frame, f"{int(position) / BYTES_PER_SECOND:.6f}", position,
                                  marker, scene, scene_time, overlay, digest])
            self.file.flush()

    def close(self):
        if self.file and self.file is not sys.stdout:
            self.file.close()


class Capture:
    """demo-capture under Wine, the named pipe its frames come through and the encoder."""

    def __init__(self, arguments, work):
        self.arguments, self.work = arguments, work
        self.run_folder = work / "run"
        self.run_folder.mkdir()
        (self.run_folder / "resources").symlink_to(ROOT / "resources")
        self.pipe_path = work / "frames"
        os.mkfifo(self.pipe_path)
        self.program = self.encoder = None
        self.encoder_log = open(work / "ffmpeg.txt", "w+")

    def program_command(self):
        command = ["wine", self.arguments.exe,
                   "--frames", "Z:" + str(self.pipe_path).replace("/", "\\")]
        for option, value in (("--size", self.arguments.size), ("--fps", self.arguments.fps),
                              ("--from", self.arguments.start), ("--to", self.arguments.to)):
            if value is not None:
                command += [option, value]
        return command

    def run(self):
        self.program = subprocess.Popen(self.program_command(), cwd=self.run_folder,
                                        stdout=subprocess.PIPE, text=True)
        plan = Plan(self.expect("plan"), self.run_folder)
        # Read and write ends both here: opening never waits, and the end of the program is
        # seen by its process, not by the pipe.
        pipe = os.open(self.pipe_path, os.O_RDWR)
        if self.arguments.output:
            self.encoder = subprocess.Popen(
                encoder_command(self.arguments.output, plan, self.arguments.quality),
                stdin=subprocess.PIPE, stdout=self.encoder_log, stderr=subprocess.STDOUT)
        hashes = HashList(self.arguments.hashes)
        progress = Progress(plan.frames)
        say(f"Capturing frames {plan.first_frame} to {plan.end_frame - 1} "
            f"({plan.first_frame / plan.fps:.3f} s to {plan.end_frame / plan.fps:.3f} s) at "
            f"{plan.width}x{plan.height}, {plan.fps} frames a second")
        try:
            for _ in range(plan.frames):
                pixels = self.read_frame(pipe, plan.frame_bytes)
                self.encode(pixels)
                hashes.add(self.expect("frame"), hashlib.sha256(pixels).hexdigest())
                progress.frame_done()
            parts = self.expect("timing")
        finally:
            hashes.close()
            os.close(pipe)
        self.finish()
        say(parts_per_frame(parts))
        return plan, progress.rate()

    def expect(self, kind):
        """The fields of the program's next line of this kind; other lines are passed on."""
        while True:
            line = self.program.stdout.readline()
            if not line:
                code = self.program.wait()
                raise CaptureError(f"demo-capture ended with exit code {code} before its "
                                   f"{kind} line{self.log_tail()}")
            fields = line.rstrip("\n").split("\t")
            if fields[0] == kind:
                return fields[1:]
            sys.stderr.write(line)

    def read_frame(self, pipe, size):
        chunks, remaining = [], size
        while remaining:
            ready, _, _ = select.select([pipe], [], [], 1.0)
            if not ready:
                if self.program.poll() is not None:
                    raise CaptureError(f"demo-capture ended with exit code "
                                       f"{self.program.returncode} in the middle of a frame"
                                       f"{self.log_tail()}")
                continue
            chunk = os.read(pipe, min(remaining, 1 << 20))
            chunks.append(chunk)
            remaining -= len(chunk)
        return b"".join(chunks)

    def encode(self, pixels):
        if not self.encoder:
            return
        try:
            self.encoder.stdin.write(pixels)
        except BrokenPipeError:
            raise CaptureError(f"ffmpeg stopped: {self.encoder_output()}") from None

    def finish(self):
        code = self.program.wait()
        if code != 0:
            raise CaptureError(f"demo-capture ended with exit code {code}{self.log_tail()}")
        if self.encoder:
            self.encoder.stdin.close()
            if self.encoder.wait() != 0:
                raise CaptureError(f"ffmpeg failed: {self.encoder_output()}")

    def encoder_output(self):
        self.encoder_log.seek(0)
        return self.encoder_log.read().strip()

    def log_tail(self):
        log = self.run_folder / "demo.log"
        if not log.exists() or log.stat().st_size == 0:
            return ""
        return "; the end of its demo.log:\n" + "".join(log.read_text().splitlines(True)[-10:])

    def stop(self):
        """Ends what still runs, by process id."""
        for process in (self.program, self.encoder):
            if process and process.poll() is None:
                process.kill()
                process.wait()


def parts_per_frame(fields):
    """demo-capture's seconds by part, as milliseconds per frame."""
    frames, *seconds = fields
    names = ("moving the music", "drawing", "reading back", "handing to the encoder",
             "presenting")
    return "Per frame: " + ", ".join(f"{name} {1000 * float(value) / int(frames):.0f} ms"
                                     for name, value in zip(names, seconds))


def say(text):
    print(text, file=sys.stderr, flush=True)


def main(argv):
    arguments = parse_arguments(argv)
    if arguments.output and arguments.size and output_kind(arguments.output) == "mp4":
        width, _, height = arguments.size.partition("x")
        if width.isdigit() and height.isdigit():
            check_even(int(width), int(height))  # before the start-up, not after it
    if not shutil.which("ffmpeg") and arguments.output:
        raise CaptureError("ffmpeg is missing: run tools/bootstrap.sh")
    with tempfile.TemporaryDirectory(prefix="ostrel-capture-") as folder:
        capture = Capture(arguments, pathlib.Path(folder))
        started = time.monotonic()
        try:
            plan, rate = capture.run()
        finally:
            capture.stop()
    written = f" into {arguments.output}" if arguments.output else ""
    say(f"Captured {plan.frames} frames at {plan.width}x{plan.height}{written} in "
        f"{duration(time.monotonic() - started)} ({rate:.2f} frames/s after start-up)")


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except CaptureError as error:
        print(f"capture: {error}", file=sys.stderr)
        sys.exit(1)
    except KeyboardInterrupt:
        sys.exit(130)
