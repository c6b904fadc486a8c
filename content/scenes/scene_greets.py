"""greets: greetings to demo groups (all invented) as 3D text. The names stand on a helix of
ledges winding up a glowing column; the camera spirals up outside it and meets one name
after another face on.

- Camera, "Second buildup B" (0 -> 0.5, 7.04 s) and "Second buildup C" (0.5 -> 1,
  7.04 s): one climb, the header and the first five names, then the other five.
"""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 352, 25  # 14.08 s, both sections
GROUPS = ["Halcyon Drift", "Nullpoint Orchard", "Kaltwerk", "Mirage Foundry", "Lumen Sect",
          "Cobalt Paradox", "Static Orchid", "Ferrous Choir", "Velvet Reactor",
          "Quasar Tailors"]
STEP_ANGLE = math.radians(40)
STEP_HEIGHT = 1.9
RADIUS = 5.5


def place(k):
    """(angle, height) of item k (0 is the header)."""
    return k * STEP_ANGLE, 1.5 + k * STEP_HEIGHT


def build():
    s = kit.Scene("greets", FRAMES, FPS, vfov=40.0, near=0.1, far=200.0)
    ink = s.material("GreetInk", (0.05, 0.05, 0.07), spec=0.5, shine=50)
    header = s.material("GreetHeader", (0.95, 0.4, 0.12), emit=0.5, spec=0.2, shine=16)
    column = s.material("Column", (0.78, 0.8, 0.84), spec=0.4, shine=40)
    glow = s.material("ColumnGlow", (1.0, 0.8, 0.6), emit=1.0, spec=0.0, shine=8)
    ledge = s.material("Ledge", (0.25, 0.27, 0.32), spec=0.3, shine=30)

    items = ["GREETINGS TO"] + GROUPS
    top = place(len(items))[1] + 4
    s.add_static(kit.cylinder(2.2, top, segments=24, center=(0, 0, top / 2)), column)
    for z in range(2, int(top), 3):
        s.add_static(kit.cylinder(2.3, 0.25, segments=24, center=(0, 0, z)), glow)
    s.add_static(kit.cylinder(9.0, 0.4, segments=32, center=(0, 0, -0.2)), ledge)
    for k, body in enumerate(items):
        angle, z = place(k)
        mat = header if k == 0 else ink
        word = kit.upright(kit.text(body, "bebas" if k else "spartan", size=1.25 if k else 1.1,
                                    extrude=0.18, spacing=1.05))
        # Facing outwards from the column: the text reads from the direction of angle.
        outward = Matrix.Rotation(angle, 4, "Z")
        s.add_static(word, mat, outward @ Matrix.Translation((0, -RADIUS, z + 0.55)))
        s.add_static(kit.box((5.5, 1.6, 0.2), (0, -RADIUS + 0.4, z - 0.35)), ledge,
                     outward)
    s.bake_static()

    s.point_light("Key", (-12, -16, 30), (1.0, 0.96, 0.9), intensity=1.0, reach=80)
    s.point_light("Fill", (16, 10, 10), (0.7, 0.75, 0.95), intensity=0.6, reach=60)
    s.point_light("ColumnLight", (0, 0, 12), (1.0, 0.8, 0.6), intensity=0.6, reach=12)

    count = len(items)

    def progress(t):
        # From the header to the last name, one steady climb.
        return -0.1 + (count - 0.8) * t

    def position(t):
        k = progress(t)
        angle = k * STEP_ANGLE - math.radians(6)
        radius = RADIUS + 13.0
        z = 1.5 + k * STEP_HEIGHT + 1.8
        return (radius * math.sin(angle), -radius * math.cos(angle), z)

    def target(t):
        k = progress(t)
        angle = k * STEP_ANGLE + math.radians(4)
        z = 1.5 + k * STEP_HEIGHT + 0.5
        return (RADIUS * math.sin(angle), -RADIUS * math.cos(angle), z)

    s.camera("Camera", position, target, lambda t: 3.0 * math.sin(2 * math.pi * t))
    s.background = (1.0, 1.0, 1.0)
    return s
