"""shtest: the animation test. A few primitives on simple, easily read keys over a tiled
floor, so that a fault in the program's animation code shows at once: a cube sliding along
X and back, a finned drum turning once about Z, a cone tumbling about a tilted axis, a
sphere circling, a block hopping. No marker shows it; the camera circles slowly."""

import math

from mathutils import Matrix, Vector

import kit

FRAMES, FPS = 240, 24  # 10 s


def build():
    s = kit.Scene("shtest", FRAMES, FPS, vfov=40.0, near=0.1, far=100.0)
    light_tile = s.material("TileLight", (0.82, 0.82, 0.8), spec=0.1, shine=8)
    dark_tile = s.material("TileDark", (0.25, 0.27, 0.3), spec=0.1, shine=8)
    for i in range(-5, 5):
        for j in range(-5, 5):
            mat = light_tile if (i + j) % 2 == 0 else dark_tile
            s.add_static(kit.box((1, 1, 0.1), (i + 0.5, j + 0.5, -0.05)), mat)
    s.bake_static()

    red = s.material("Red", (0.85, 0.15, 0.1), spec=0.5, shine=40)
    green = s.material("Green", (0.15, 0.7, 0.25), spec=0.5, shine=40)
    blue = s.material("Blue", (0.15, 0.3, 0.85), spec=0.5, shine=40)
    yellow = s.material("Glow", (1.0, 0.85, 0.3), emit=0.8, spec=0.2, shine=16)
    white = s.material("White", (0.9, 0.9, 0.9), spec=0.3, shine=24)

    slider = s.mesh_object("Slider", kit.box((0.8, 0.8, 0.8)), red)
    s.animate(slider, lambda t: Matrix.Translation((-3 + 6 * (1 - abs(1 - 2 * t)), -2.5, 0.4)))

    drum = kit.cylinder(0.5, 1.0, segments=24, center=(0, 0, 0.5))
    kit.append_bmesh(drum, kit.box((0.2, 0.6, 0.8), (0, 0.75, 0.5)))
    spinner = s.mesh_object("Spinner", drum, green)
    s.animate(spinner, lambda t: Matrix.Translation((-2, 1.5, 0))
              @ Matrix.Rotation(2 * math.pi * t, 4, "Z"))

    cone = kit.cylinder(0.6, 1.4, segments=20, radius2=0.0, smooth=False)
    tumbler = s.mesh_object("Tumbler", cone, blue)
    axis = Vector((1, 1, 0.5)).normalized()
    s.animate(tumbler, lambda t: Matrix.Translation((2, 1.5, 1.2))
              @ Matrix.Rotation(2 * math.pi * t, 4, axis))

    orbiter = s.mesh_object("Orbiter", kit.sphere(0.35, 2), yellow)
    s.animate(orbiter, lambda t: Matrix.Translation(
        (1.5 * math.cos(4 * math.pi * t), -0.5 + 1.5 * math.sin(4 * math.pi * t), 0.6)))

    hopper = s.mesh_object("Hopper", kit.box((0.6, 0.6, 0.6)), white)
    s.animate(hopper, lambda t: Matrix.Translation(
        (3, -2.5, 0.3 + 1.5 * abs(math.sin(3 * math.pi * t)))))

    s.point_light("Key", (4, -6, 8), (1.0, 0.96, 0.9), intensity=1.0, reach=40)
    s.point_light("Fill", (-6, 3, 4), (0.6, 0.7, 0.9), intensity=0.5, reach=30)

    s.camera("Camera",
             lambda t: (9 * math.sin(0.5 + 0.8 * t), -9 * math.cos(0.5 + 0.8 * t), 5.5),
             lambda t: (0, 0, 0.6))
    s.background = (1.0, 1.0, 1.0)
    return s
