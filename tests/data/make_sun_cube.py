"""Writes scenes/sun-cube.dae and Blender's own render of it, scenes/sun-cube-blender.png,
with Debian's Blender (headless; they are committed, run this only to change them):

    blender -b --factory-startup --python-exit-code 1 --python tests/data/make_sun_cube.py

One grey cube of half-size 1 at the origin, one sun lamp above it whose light comes from
+x, +y and above (towards the light: (0.6, 0.45, 1)), and a camera "Camera" at
(6, -7, 5) looking at the origin, so that it sees the top, the +x face and the -y face:
the sun lights the first two and not the third. No world light and no bounces, so a face
the sun does not reach renders black in Blender; the background is transparent.
"""

import math
import re
import os

import bpy
from mathutils import Vector

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenes")
TOWARDS_SUN = Vector((0.6, 0.45, 1.0))


def look_at(obj, target):
    # Blender's cameras and lamps point along their local -z.
    direction = Vector(target) - obj.location
    obj.rotation_euler = direction.to_track_quat("-Z", "Y").to_euler()


def build():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    bpy.ops.mesh.primitive_cube_add(size=2.0, location=(0, 0, 0))
    cube = bpy.context.active_object
    cube.name = "Cube"
    material = bpy.data.materials.new("Grey")
    material.use_nodes = True
    bsdf = material.node_tree.nodes["Principled BSDF"]
    bsdf.inputs["Base Color"].default_value = (0.6, 0.6, 0.6, 1.0)
    bsdf.inputs["Specular"].default_value = 0.0
    bsdf.inputs["Roughness"].default_value = 1.0
    material.diffuse_color = (0.6, 0.6, 0.6, 1.0)
    material.specular_intensity = 0.0
    cube.data.materials.append(material)

    sun_data = bpy.data.lights.new("Sun", type="SUN")
    sun_data.energy = 3.0
    sun_data.angle = 0.0
    sun = bpy.data.objects.new("Sun", sun_data)
    scene.collection.objects.link(sun)
    sun.location = TOWARDS_SUN.normalized() * 6.0
    look_at(sun, (0, 0, 0))

    camera_data = bpy.data.cameras.new("Camera")
    camera_data.angle = math.radians(40)
    camera = bpy.data.objects.new("Camera", camera_data)
    scene.collection.objects.link(camera)
    camera.location = (6.0, -7.0, 5.0)
    look_at(camera, (0, 0, 0))
    scene.camera = camera

    world = bpy.data.worlds.new("Black")
    world.use_nodes = True
    world.node_tree.nodes["Background"].inputs["Strength"].default_value = 0.0
    scene.world = world
    return scene


def render(scene, path):
    scene.render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = 16
    scene.cycles.max_bounces = 0
    scene.cycles.use_denoising = False
    scene.render.resolution_x = 320
    scene.render.resolution_y = 180
    scene.render.resolution_percentage = 100
    scene.render.image_settings.file_format = "PNG"
    scene.render.image_settings.color_mode = "RGBA"
    scene.render.film_transparent = True  # the cube's outline in alpha, its unlit face black
    scene.render.filepath = path
    bpy.ops.render.render(write_still=True)


def export(path):
    bpy.ops.wm.collada_export(
        filepath=path, check_existing=False, selected=False, include_children=True,
        include_animations=False, triangulate=True, use_blender_profile=False,
        sort_by_name=True, export_object_transformation_type_selection="matrix",
        limit_precision=True)
    with open(path, encoding="utf-8") as f:
        text = f.read()

    text = re.sub(r"<created>[^<]*</created>", "<created>2026-01-01T00:00:00</created>", text)
    text = re.sub(r"<modified>[^<]*</modified>", "<modified>2026-01-01T00:00:00</modified>",
                  text)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


scene = build()
export(os.path.join(HERE, "sun-cube.dae"))
# The file says 40 degrees across; the program takes a file's horizontal angle as its vertical
# one, so Blender renders with 40 degrees up and down to show the same framing.
scene.camera.data.sensor_fit = "VERTICAL"
scene.camera.data.angle = math.radians(40)
render(scene, os.path.join(HERE, "sun-cube-blender.png"))
