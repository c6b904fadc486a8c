"""Renders a contact sheet per scene: every section that shows it, through its marker's
camera at the start, the middle and the end of its span, with Blender's Cycles on the CPU
(small pictures, few samples, no denoising).

    /usr/bin/python3 content/preview_scenes.py                     # all ten, into out/preview
    /usr/bin/python3 content/preview_scenes.py --out DIR kv.dae    # one scene
    /usr/bin/python3 content/preview_scenes.py --width 640 --samples 32 halvek.dae
"""

import argparse
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "out", "preview"))
    parser.add_argument("--width", type=int, default=384)
    parser.add_argument("--samples", type=int, default=12)
    parser.add_argument("scenes", nargs="*")
    args = parser.parse_args()
    subprocess.run(["blender", "-b", "--factory-startup", "--python-exit-code", "1",
                    "--python", os.path.join(HERE, "scenes", "preview.py"), "--", args.out,
                    str(args.width), str(args.samples)] + args.scenes, check=True)


if __name__ == "__main__":
    main()
