"""Builds the production's scenes inside Blender and writes them as Collada files, each checked
against the program's own reading of it. Run by content/make_scenes.py:

    blender -b --factory-startup -t 1 --python-exit-code 1 --python content/scenes/build.py -- \
        OUTPUT_FOLDER [FILE.dae ...]
"""

import importlib
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import bpy  # noqa: E402
from mathutils import Vector  # noqa: E402

import exporter  # noqa: E402
import programview  # noqa: E402

# File name -> module that builds it.
SCENES = {
    "shtest.dae": "scene_shtest",
    "kv.dae": "scene_kv",
    "compos_baked.dae": "scene_compos",
    "inviteto.dae": "scene_inviteto",
    "halvek.dae": "scene_halvek",
    "drunmoth.dae": "scene_drunmoth",
    "pellicor.dae": "scene_pellicor",
    "creds.dae": "scene_creds",
    "greets.dae": "scene_greets",
    "SIMTEST2.dae": "scene_simtest2",
}
TOLERANCE = 2e-3  # view-space units (metres) between Blender's and the program's view


def build(file_name):
    module = importlib.import_module(SCENES[file_name])
    return module.build()


def design_corners(scene, camera, frame):
    """{object name: its mesh's box corners in the camera's view space} as Blender shows
    them, z pointing away from the camera as in the program's view space."""
    bscene = scene.bscene
    bscene.frame_set(frame)
    view = camera.matrix_world.inverted()
    out = {}
    for ob in bscene.objects:
        if ob.type != "MESH":
            continue
        verts = [v.co for v in ob.data.vertices]
        corners = programview.box_corners([tuple(v) for v in verts])
        m = view @ ob.matrix_world
        out[ob.name] = [tuple(p * s for p, s in zip(m @ Vector(c), (1, 1, -1)))
                        for c in corners]
    return out


def check(scene, path):
    """Fails when the program would show the file differently from Blender's view."""
    program = programview.ProgramScene(path)
    name = os.path.basename(path)
    if abs(program.fov - math.radians(scene.vfov)) > 1e-4:
        raise AssertionError(f"{name}: field of view {math.degrees(program.fov)}")
    span = scene.frames / scene.fps * program.ticks_per_second
    if abs(program.min_time) > 1e-3 or abs(program.max_time - span) > 1e-3 * span:
        raise AssertionError(f"{name}: keys run {program.min_time}..{program.max_time}")
    worst = 0.0
    frames = sorted({0, scene.frames // 3, scene.frames // 2, 2 * scene.frames // 3,
                     scene.frames})
    for camera in scene.cameras:
        for frame in frames:
            expected = design_corners(scene, camera, frame)
            got = program.mesh_node_corners(camera.name,
                                            frame / scene.fps * program.ticks_per_second)
            if set(expected) != set(got):
                raise AssertionError(f"{name}: mesh nodes {sorted(set(expected) ^ set(got))}")
            for key, points in expected.items():
                for p in points:
                    d = min(math.dist(p, q) for q in got[key])
                    worst = max(worst, d)
                    if d > TOLERANCE:
                        raise AssertionError(
                            f"{name}: {key} through {camera.name} at frame {frame} is off by "
                            f"{d:.4f}")
    print(f"{name}: program view agrees with Blender's within {worst:.2e}")


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    out_dir, names = args[0], args[1:] or list(SCENES)
    for file_name in names:
        scene = build(file_name)
        path = os.path.join(out_dir, file_name)
        exporter.export(scene, path)
        check(scene, path)
        triangles = sum(len(ob.data.polygons) * (ob.type == "MESH") for ob in
                        scene.bscene.objects if ob.type == "MESH")
        print(f"{file_name}: {len(scene.cameras)} cameras, {len(scene.lights)} lights, "
              f"{triangles} triangles in Blender, {os.path.getsize(path)} bytes")


if __name__ == "__main__":
    main()
