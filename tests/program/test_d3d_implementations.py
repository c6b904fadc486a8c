"""The production's frames on two implementations of Direct3D 11 agree: the middle of every
section and the logo moments, drawn by demo-frames on Wine's own Direct3D (on OpenGL) and on
DXVK (on Vulkan), both on Mesa's software rasterisers. A frame that only one of them draws
right is a frame that depends on one implementation's quirks, as a viewer's driver would
show. Keeps both sets and a sheet of them side by side in artifacts/d3d-implementations/."""

import math
import shutil
import subprocess
import unittest

import wineprogram
from test_production import FRAMES_EXE, run_frames

SIZE = "320x180"
MOMENTS = ("middles", "175", "179")  # every section, then each logo over its scene
# Measured here over these 19 frames: 43.0 to 55.1 dB. They differ only along the edges of
# the geometry, where the two rasterisers cover pixels a little differently, spread by the
# depth-of-field blur (least alike: "Stop" and "Quorvel"). For scale, on the same frames: one
# picture 3 % darker gives 38.9 dB, moved by one pixel 31.1 dB, blurred by a pixel 35.3 dB,
# and the animation a second on 25.8 dB.
MINIMUM_PSNR = 40.0


def psnr(a, b):
    """Peak signal-to-noise ratio of b against a in dB (inf when equal), as ImageMagick has it."""
    result = subprocess.run(["compare", "-metric", "PSNR", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    value = result.stderr.split()[0]
    return math.inf if value == "inf" else float(value)


def side_by_side_sheet(rows, path):
    """One row per frame: Wine's Direct3D on the left, DXVK on the right."""
    pictures = [str(picture) for row in rows for picture in row]
    subprocess.run(["montage", *pictures, "-tile", "2x", "-geometry", "+2+2",
                    "-background", "gray20", str(path)], check=True)


class Direct3DImplementationsTest(unittest.TestCase):
    def setUp(self):
        wineprogram.require_harness()
        if not FRAMES_EXE:
            self.skipTest("OSTREL_FRAMES_EXE is not set")

    def render(self, implementation, out):
        shutil.rmtree(out, ignore_errors=True)
        with wineprogram.WorkingDirectory() as cwd:
            frames, output = run_frames(cwd, "--size", SIZE, "--out", str(out), *MOMENTS,
                                        env={"OSTREL_D3D": implementation})
        return frames

    def test_both_draw_every_section_and_the_logos_alike(self):
        out = wineprogram.ARTIFACTS / "d3d-implementations"
        frames = {name: self.render(name, out / name) for name in ("wined3d", "dxvk")}
        self.assertEqual([f["position"] for f in frames["wined3d"]],
                         [f["position"] for f in frames["dxvk"]])
        rows, worst = [], math.inf
        for wined3d, dxvk in zip(frames["wined3d"], frames["dxvk"]):
            pair = (out / "wined3d" / wined3d["picture"], out / "dxvk" / dxvk["picture"])
            rows.append(pair)
            value = psnr(*pair)
            worst = min(worst, value)
            print(f"{float(wined3d['seconds']):7.2f} s {wined3d['marker']:<18} {value:5.1f} dB")
            with self.subTest(seconds=wined3d["seconds"], section=wined3d["marker"]):
                self.assertGreater(value, MINIMUM_PSNR, f"{pair[0]} against {pair[1]}")
        side_by_side_sheet(rows, out / "side-by-side.png")
        print(f"{len(rows)} frames, the least alike at {worst:.1f} dB; "
              f"side by side in {out / 'side-by-side.png'}")


if __name__ == "__main__":
    wineprogram.main()
