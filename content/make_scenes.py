"""Makes the production's scenes and pictures with Debian's Blender, headless: the ten
Collada scenes in resources/ and the loading picture and the two logos in
resources/textures/. Each scene file is checked against the program's own reading of it
(through assimp's tool) before it is kept.

    /usr/bin/python3 content/make_scenes.py                 # everything (a few minutes)
    /usr/bin/python3 content/make_scenes.py kv.dae logos    # some of it
    /usr/bin/python3 content/make_scenes.py --out DIR       # into DIR and DIR/textures

Needs blender, assimp-utils, python3-numpy and the fonts that content/setup.sh installs.
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
RESOURCES = os.path.join(ROOT, "resources")
BLENDER = ["blender", "-b", "--factory-startup", "--python-exit-code", "1", "--python"]
PICTURES = ("preload", "logos")


def run_blender(script, args, threads=None):
    # One thread for building: Blender sums smooth normals in parallel, and the order of
    # the sums changes their last bits from run to run.
    limit = ["-t", str(threads)] if threads else []
    subprocess.run(BLENDER[:3] + limit + BLENDER[3:] + [os.path.join(HERE, "scenes", script),
                                                        "--"] + args, check=True)


def main():
    args = sys.argv[1:]
    resources = RESOURCES
    if args[:1] == ["--out"]:
        resources, args = args[1], args[2:]
    wanted = args
    scenes = [w for w in wanted if w.endswith(".dae")]
    pictures = [w for w in wanted if w in PICTURES]
    unknown = set(wanted) - set(scenes) - set(pictures)
    if unknown:
        sys.exit(f"unknown targets: {sorted(unknown)} (scene files or {PICTURES})")
    if not wanted or scenes:
        os.makedirs(resources, exist_ok=True)
        run_blender("build.py", [resources] + scenes, threads=1)
    if not wanted or pictures:
        os.makedirs(os.path.join(resources, "textures"), exist_ok=True)
        run_blender("pictures.py", [os.path.join(resources, "textures")]
                    + (pictures or list(PICTURES)))


if __name__ == "__main__":
    main()
