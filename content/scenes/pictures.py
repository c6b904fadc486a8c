"""The loading picture and the two logos, drawn with Blender (flat glowing shapes under an
orthographic camera, rendered by Cycles) and written as plain PNG files. Run by
content/make_scenes.py:

    blender -b --factory-startup --python-exit-code 1 --python content/scenes/pictures.py -- \
        TEXTURES_FOLDER [preload] [logos]

- "quorvel_1920.png", "Tessane_1920.png": 1920 x 1080, RGBA, the names in white with a dark
  outline on a transparent background, so that they read over a light or a dark picture
  (the program lays them over the scene at full opacity in "Second buildup D").
- "preload.png": 1920 x 1080, RGB, shown while the scenes load.
"""

import math
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import bpy  # noqa: E402

import kit  # noqa: E402
import pngio  # noqa: E402

WIDTH, HEIGHT = 1920, 1080
SAMPLES = 24


def new_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = SAMPLES
    scene.cycles.use_denoising = False
    scene.cycles.use_adaptive_sampling = False
    scene.cycles.seed = 0
    scene.cycles.max_bounces = 0
    scene.render.resolution_x, scene.render.resolution_y = WIDTH, HEIGHT
    scene.render.resolution_percentage = 100
    scene.view_settings.view_transform = "Standard"
    scene.view_settings.look = "None"
    scene.render.image_settings.file_format = "PNG"
    scene.render.image_settings.color_depth = "8"
    world = bpy.data.worlds.new("World")
    world.use_nodes = True
    world.node_tree.nodes["Background"].inputs["Strength"].default_value = 0.0
    scene.world = world
    cam_data = bpy.data.cameras.new("View")
    cam_data.type = "ORTHO"
    cam_data.ortho_scale = 16.0  # 16 units across, 9 high
    cam = bpy.data.objects.new("View", cam_data)
    cam.location = (0, 0, 10)
    scene.collection.objects.link(cam)
    scene.camera = cam
    return scene


def flat(name, color, alpha=1.0):
    """A shader that shows exactly its colour (linear) at the given coverage."""
    mat = bpy.data.materials.new(name)
    mat.use_nodes = True
    nodes, links = mat.node_tree.nodes, mat.node_tree.links
    nodes.clear()
    out = nodes.new("ShaderNodeOutputMaterial")
    emission = nodes.new("ShaderNodeEmission")
    emission.inputs["Color"].default_value = (*color, 1.0)
    if alpha < 1.0:
        mix = nodes.new("ShaderNodeMixShader")
        clear = nodes.new("ShaderNodeBsdfTransparent")
        mix.inputs["Fac"].default_value = alpha
        links.new(clear.outputs[0], mix.inputs[1])
        links.new(emission.outputs[0], mix.inputs[2])
        links.new(mix.outputs[0], out.inputs["Surface"])
        mat.blend_method = "BLEND"
    else:
        links.new(emission.outputs[0], out.inputs["Surface"])
    return mat


def text_object(body, font, size, mat, location, spacing=1.0):
    vfont = bpy.data.fonts.load(kit.FONT_FILES[font], check_existing=True)
    curve = bpy.data.curves.new(f"{body}_curve", "FONT")
    curve.body = body
    curve.font = vfont
    curve.size = size
    curve.align_x = "CENTER"
    curve.align_y = "CENTER"
    curve.space_character = spacing
    curve.resolution_u = 24
    ob = bpy.data.objects.new(body, curve)
    ob.location = location
    ob.data.materials.append(mat)
    bpy.context.scene.collection.objects.link(ob)
    return ob


def plane(name, size, location, mat):
    me = bpy.data.meshes.new(name)
    w, h = size
    me.from_pydata([(-w / 2, -h / 2, 0), (w / 2, -h / 2, 0), (w / 2, h / 2, 0),
                    (-w / 2, h / 2, 0)], [], [(0, 1, 2, 3)])
    me.materials.append(mat)
    ob = bpy.data.objects.new(name, me)
    ob.location = location
    bpy.context.scene.collection.objects.link(ob)
    return ob


def outlined(body, font, size, location, fill, spacing=1.0):
    """White-on-dark lettering: the text over copies of itself moved round it in a ring, a
    dark outline close in and a faint halo further out (a glyph outline offset by the font
    engine breaks at sharp corners)."""
    text_object(body, font, size, flat("Fill", fill), location, spacing=spacing)
    x, y, z = location
    outline = flat("Outline", (0.01, 0.012, 0.025))
    halo = flat("Halo", (0.0, 0.0, 0.01), 0.1)
    for ring, mat, depth in ((0.035, outline, 0.01), (0.075, halo, 0.02)):
        for k in range(16):
            a = 2 * math.pi * k / 16
            text_object(body, font, size, mat,
                        (x + ring * size * math.cos(a), y + ring * size * math.sin(a),
                         z - depth - 0.0001 * k), spacing=spacing)


def render(scene, path, channels):
    scene.render.film_transparent = channels == 4
    scene.render.image_settings.color_mode = "RGBA" if channels == 4 else "RGB"
    with tempfile.TemporaryDirectory() as tmp:
        scene.render.filepath = os.path.join(tmp, "picture.png")
        bpy.ops.render.render(write_still=True)
        image = bpy.data.images.load(scene.render.filepath)
        pixels = pngio.image_pixels(image)[:, :, :channels]
        pngio.write_png(path, pngio.to_bytes(pixels))
    print(f"wrote {path}")


def quorvel_logo(path):
    scene = new_scene()
    outlined("QUORVEL", "spartan", 2.3, (0, 0.15, 0), (1.0, 1.0, 1.0), spacing=1.12)
    plane("Bar", (8.2, 0.09), (0, -1.05, 0), flat("Ice", (0.35, 0.75, 1.0)))
    plane("BarEdge", (8.4, 0.25), (0, -1.05, -0.01), flat("BarOutline", (0.01, 0.012, 0.025),
                                                          0.85))
    render(scene, path, 4)


def tessane_logo(path):
    scene = new_scene()
    outlined("feat.", "comfortaa", 0.6, (-2.2, 1.35, 0), (0.85, 0.75, 1.0))
    outlined("tessane", "comfortaa", 2.2, (0, 0.0, 0), (1.0, 1.0, 1.0), spacing=1.05)
    plane("Bar", (7.0, 0.09), (0.4, -1.2, 0), flat("Violet", (0.72, 0.4, 1.0)))
    plane("BarEdge", (7.2, 0.25), (0.4, -1.2, -0.01), flat("BarOutline", (0.01, 0.012, 0.025),
                                                           0.85))
    render(scene, path, 4)


def preload(path):
    scene = new_scene()
    mat = bpy.data.materials.new("Backdrop")
    mat.use_nodes = True
    nodes, links = mat.node_tree.nodes, mat.node_tree.links
    nodes.clear()
    out = nodes.new("ShaderNodeOutputMaterial")
    emission = nodes.new("ShaderNodeEmission")
    coords = nodes.new("ShaderNodeTexCoord")
    gradient = nodes.new("ShaderNodeTexGradient")
    gradient.gradient_type = "SPHERICAL"
    mapping = nodes.new("ShaderNodeMapping")
    mapping.inputs["Scale"].default_value = (0.11, 0.19, 1.0)
    ramp = nodes.new("ShaderNodeValToRGB")
    ramp.color_ramp.elements[0].color = (0.004, 0.005, 0.012, 1)
    ramp.color_ramp.elements[1].color = (0.03, 0.045, 0.09, 1)
    links.new(coords.outputs["Object"], mapping.inputs["Vector"])
    links.new(mapping.outputs["Vector"], gradient.inputs["Vector"])
    links.new(gradient.outputs["Fac"], ramp.inputs["Fac"])
    links.new(ramp.outputs["Color"], emission.inputs["Color"])
    links.new(emission.outputs[0], out.inputs["Surface"])
    plane("Backdrop", (16.2, 9.2), (0, 0, -1), mat)
    text_object("QUORVEL", "spartan", 1.1, flat("Name", (0.9, 0.93, 1.0)), (0, 0.5, 0),
                spacing=1.15)
    text_object("feat. tessane", "comfortaa", 0.45, flat("Feat", (0.62, 0.55, 0.85)),
                (0, -0.35, 0))
    plane("Rule", (3.2, 0.02), (0, -0.95, 0), flat("Rule", (0.2, 0.45, 0.7)))
    text_object("LOADING", "bebas", 0.28, flat("Loading", (0.35, 0.42, 0.55)), (0, -3.6, 0),
                spacing=1.6)
    for k in range(3):
        plane(f"Dot{k}", (0.06, 0.06), (0.75 + 0.12 * k, -3.6, 0),
              flat(f"Dot{k}", (0.35, 0.42, 0.55)))
    render(scene, path, 3)


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    folder, wanted = args[0], set(args[1:]) or {"preload", "logos"}
    if "logos" in wanted:
        quorvel_logo(os.path.join(folder, "quorvel_1920.png"))
        tessane_logo(os.path.join(folder, "Tessane_1920.png"))
    if "preload" in wanted:
        preload(os.path.join(folder, "preload.png"))


if __name__ == "__main__":
    main()
