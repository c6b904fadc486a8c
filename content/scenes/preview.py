"""Renders what every section shows of a scene: each marker's camera at the start, the middle
and the end of its span (in its direction) with Cycles, into one contact sheet per scene.
Run by content/preview_scenes.py:

    blender -b --factory-startup --python-exit-code 1 --python content/scenes/preview.py -- \
        OUTPUT_FOLDER WIDTH SAMPLES FILE.dae [FILE.dae ...]

The lighting follows the program's simple model, not Blender's: lights cast no shadows and
fall off as 1 / (1 + d^2 / reach^2), there is no bounced light, a flat ambient of the share
the materials' ambient colours give, emission adds the surface's own colour, and where
nothing is drawn the picture shows the clear colour. The post chain (focus, bloom, grading)
is not applied.
"""

import math
import os
import re
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.dirname(HERE))

import bpy  # noqa: E402
import numpy as np  # noqa: E402

import build  # noqa: E402
import exporter  # noqa: E402
import pngio  # noqa: E402
import tempo  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))
REGISTRY = os.path.join(ROOT, "registry", "Resources.cpp")
CLEAR = (1.0, 1.0, 1.0)  # the program clears to white


def registry_tables():
    """(scene key -> file name, [(marker, scene key, camera, start, end)]) read from the
    program's own registry source."""
    with open(REGISTRY, encoding="utf-8") as f:
        source = f.read()
    scenes = {key: path.split("\\\\")[-1] for key, path in
              re.findall(r'\{"(\w+)", L"(resources\\\\[^"]+\.dae)"\}', source)}
    markers = [(name, key, camera, float(start), float(end)) for name, start, end, key, camera
               in re.findall(r'\{"([^"]+)", \{([\d.]+), ([\d.]+), "(\w+)", "(\w+)"\}\}',
                             source)]
    return scenes, markers


def shots(file_name):
    """[(label, camera name, scene fraction)] of every section that shows file_name."""
    scenes, markers = registry_tables()
    lengths = {name: (end - first) * tempo.BEATS_PER_BAR * tempo.TEMPO_US / 1e6
               for name, first, end in tempo.SECTIONS}
    out = []
    for name, key, camera, start, end in markers:
        if scenes.get(key) != file_name or name not in lengths:
            continue
        for label, p in (("start", 0.0), ("middle", 0.5), ("end", 1.0)):
            shown = 1.0 - p if name == "Tessane" else p
            fraction = start + (end - start) * shown
            out.append((f"{name} ({lengths[name]:.2f} s) {label}: {camera} at {fraction:.3f}",
                        camera, fraction))
    return out


def light_for_preview(ob):
    """Cycles light that falls off like the program's: strength / (reach^2 + d^2)."""
    data = ob.data
    reach = data.distance
    data.use_nodes = True
    data.cycles.cast_shadow = False
    nodes = data.node_tree.nodes
    emission = nodes["Emission"]
    falloff = nodes.new("ShaderNodeLightFalloff")
    # A point light of power P gives a white diffuse surface a radiance of
    # P / (4 pi^2 d^2) at normal incidence; the program gives colour x attenuation.
    falloff.inputs["Strength"].default_value = 4 * math.pi ** 2 * reach ** 2
    falloff.inputs["Smooth"].default_value = reach ** 2
    data.node_tree.links.new(falloff.outputs["Quadratic"], emission.inputs["Strength"])


def set_up_render(scene, width, samples):
    bscene = scene.bscene
    bscene.render.engine = "CYCLES"
    bscene.cycles.device = "CPU"
    bscene.cycles.samples = samples
    bscene.cycles.use_denoising = False
    bscene.cycles.use_adaptive_sampling = False
    bscene.cycles.seed = 0
    bscene.cycles.max_bounces = 0
    bscene.render.threads_mode = "FIXED"
    bscene.render.threads = 2
    bscene.render.resolution_x = width
    bscene.render.resolution_y = width * 9 // 16
    bscene.render.resolution_percentage = 100
    bscene.render.film_transparent = False
    bscene.view_settings.view_transform = "Standard"
    bscene.view_settings.look = "None"
    bscene.render.image_settings.file_format = "PNG"
    bscene.render.image_settings.color_mode = "RGB"
    stamp(bscene)
    world = bpy.data.worlds.new("World")
    bscene.world = world
    world.use_nodes = True
    nodes, links = world.node_tree.nodes, world.node_tree.links
    background = nodes["Background"]
    path = nodes.new("ShaderNodeLightPath")
    mix = nodes.new("ShaderNodeMixRGB")
    mix.inputs["Color1"].default_value = (exporter.AMBIENT,) * 3 + (1.0,)
    mix.inputs["Color2"].default_value = (*(scene.background or CLEAR), 1.0)
    links.new(path.outputs["Is Camera Ray"], mix.inputs["Fac"])
    links.new(mix.outputs["Color"], background.inputs["Color"])
    for ob in scene.lights:
        light_for_preview(ob)


def stamp(bscene):
    r = bscene.render
    r.use_stamp = True
    for name in dir(r):
        if name.startswith("use_stamp_") and name not in ("use_stamp_note",
                                                          "use_stamp_labels"):
            try:
                setattr(r, name, False)
            except (AttributeError, TypeError):
                pass
    r.use_stamp_note = True
    r.use_stamp_labels = False
    r.stamp_font_size = 11
    r.stamp_foreground = (1, 1, 1, 1)
    r.stamp_background = (0, 0, 0, 0.65)


def render_sheet(file_name, out_dir, width, samples):
    scene = build.build(file_name)
    set_up_render(scene, width, samples)
    bscene = scene.bscene
    cameras = {c.name: c for c in scene.cameras}
    wanted = shots(file_name) or [(f"no marker: {scene.cameras[0].name} at {f:.3f}",
                                   scene.cameras[0].name, f) for f in (0.0, 0.5, 1.0)]
    tiles = []
    with tempfile.TemporaryDirectory() as tmp:
        for i, (label, camera, fraction) in enumerate(wanted):
            frame = fraction * scene.frames
            bscene.frame_set(int(math.floor(frame)), subframe=frame - math.floor(frame))
            bscene.camera = cameras[camera]
            bscene.render.stamp_note_text = label
            bscene.render.filepath = os.path.join(tmp, f"{i}.png")
            bpy.ops.render.render(write_still=True)
            image = bpy.data.images.load(bscene.render.filepath)
            tiles.append(pngio.image_pixels(image)[:, :, :3].copy())
            bpy.data.images.remove(image)
            print(f"{file_name}: {label}", flush=True)
    rows = [tiles[i:i + 3] for i in range(0, len(tiles), 3)]
    gap = 4
    h, w, _ = tiles[0].shape
    sheet = np.full((len(rows) * (h + gap) + gap, 3 * (w + gap) + gap, 3), 0.1,
                    dtype=np.float32)
    for r, row in enumerate(rows):
        for c, tile in enumerate(row):
            y, x = gap + r * (h + gap), gap + c * (w + gap)
            sheet[y:y + h, x:x + w] = tile
    path = os.path.join(out_dir, os.path.splitext(file_name)[0] + ".png")
    pngio.write_png(path, pngio.to_bytes(sheet))
    print(f"wrote {path}")


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    out_dir, width, samples, names = args[0], int(args[1]), int(args[2]), args[3:]
    os.makedirs(out_dir, exist_ok=True)
    for file_name in names or list(build.SCENES):
        render_sheet(file_name, out_dir, width, samples)


if __name__ == "__main__":
    main()
