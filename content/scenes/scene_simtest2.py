"""SIMTEST2: an abstract simulation, a pendulum wave. Twenty glowing pendulums hang from one
gantry over a lab floor; pendulum i swings 10 + i times in 24 s, so the row starts in line,
runs through travelling waves and splits into alternating groups at the middle. A wide
ring turns around the rig. Sections see the first half of the keys, each faster than the
one before:

- Camera_001, "Buildup" (0.2 -> 0.5, 14.08 s, teal brightening): a crane rising from low
  along the row to high above it.
- Camera, "Wobble" (0.1 -> 0.5, 14.08 s, magenta): a swaying glide along the front.
- Camera_002, "Wubwub break" (0.1 -> 0.35, 7.04 s, acid green, glitches): from high
  above, the row a snake of lights, the picture rolling round.
"""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 288, 12  # 24 s of simulation time
COUNT = 20
SPACING = 0.9
PIVOT = 6.0
LENGTH = 4.4
AMPLITUDE = math.radians(38)


def swing(i, t):
    """Angle of pendulum i at scene time t (0..1 over the 24 s)."""
    return AMPLITUDE * math.cos(2 * math.pi * (10 + i) * t)


def build():
    s = kit.Scene("simtest2", FRAMES, FPS, vfov=44.0, near=0.1, far=300.0)
    floor = s.material("Floor", (0.1, 0.11, 0.13), spec=0.4, shine=40)
    line = s.material("GridLine", (0.3, 0.95, 0.85), emit=0.9, spec=0.0, shine=8)
    frame = s.material("Gantry", (0.75, 0.77, 0.8), spec=0.5, shine=40)
    rod = s.material("Rod", (0.85, 0.86, 0.9), spec=0.6, shine=60)
    bob = s.material("Bob", (1.0, 0.55, 0.85), emit=0.85, spec=0.4, shine=40)
    ring = s.material("Orbit", (0.9, 0.95, 1.0), emit=0.6, spec=0.2, shine=16)

    s.add_static(kit.box((26, 14, 0.3), (0, 0, -0.15)), floor)
    for k in range(-13, 14):
        s.add_static(kit.box((0.04, 14, 0.02), (k, 0, 0.01)), line)
    for k in range(-7, 8):
        s.add_static(kit.box((26, 0.04, 0.02), (0, k, 0.01)), line)
    half = SPACING * (COUNT - 1) / 2 + 1.0
    s.add_static(kit.box((2 * half, 0.3, 0.3), (0, 0, PIVOT + 0.15)), frame)
    for x in (-half, half):
        for y in (-1.2, 1.2):
            leg = kit.box((0.22, 0.22, PIVOT + 0.6))
            leg.transform(Matrix.Translation((x, y * 0.5, (PIVOT + 0.3) / 2))
                          @ Matrix.Rotation(math.atan2(-y * 0.5, PIVOT) * 1.0, 4, "X"))
            s.add_static(leg, frame)
    s.bake_static()

    pendulum = None
    for i in range(COUNT):
        x = -SPACING * (COUNT - 1) / 2 + SPACING * i
        name = f"Pendulum_{i:02d}"
        if pendulum is None:
            pendulum = s.compound_object(name, [
                (kit.cylinder(0.03, LENGTH, segments=8, center=(0, 0, -LENGTH / 2)), rod),
                (kit.sphere(0.3, 2, center=(0, 0, -LENGTH)), bob)])
            ob = pendulum
        else:
            ob = s.mesh_object(name, None, None, data=pendulum.data)
        s.animate(ob, lambda t, x=x, i=i: Matrix.Translation((x, 0, PIVOT))
                  @ Matrix.Rotation(swing(i, t), 4, "X"))

    orbit = s.mesh_object("OrbitRing", kit.torus(21.0, 0.08, 160, 6), ring)
    s.animate(orbit, lambda t: Matrix.Translation((0, 0, 3.5))
              @ Matrix.Rotation(0.5, 4, "X") @ Matrix.Rotation(2 * math.pi * t, 4, "Z"))

    s.point_light("Key", (-6, -10, 12), (0.95, 0.97, 1.0), intensity=1.0, reach=30)
    s.point_light("Fill", (10, 8, 6), (0.6, 0.9, 0.9), intensity=0.6, reach=25)
    s.point_light("BobGlow", (0, -1.5, 1.2), (1.0, 0.6, 0.9), intensity=0.8, reach=6)

    def buildup(t):
        return kit.ease(kit.window(t, 0.15, 0.55))

    s.camera("Camera_001",
             lambda t: kit.lerp((-16.0, -9.0, 1.4), (-5.0, -15.0, 13.0), buildup(t)),
             lambda t: kit.lerp((-3.0, 0.0, 2.6), (0.0, 0.0, 1.5), buildup(t)))

    def wobble(t):
        return kit.window(t, 0.1, 0.5)

    s.camera("Camera",
             lambda t: (-9.0 + 18.0 * wobble(t), -8.0 + 1.0 * math.cos(3 * math.pi * wobble(t)),
                        2.4 + 1.0 * math.sin(2 * math.pi * 1.5 * wobble(t))),
             lambda t: (-5.0 + 10.0 * wobble(t), 0.0, 2.4),
             lambda t: 8.0 * math.sin(2 * math.pi * 1.5 * wobble(t)))

    def wub(t):
        return kit.window(t, 0.1, 0.35)

    s.camera("Camera_002",
             lambda t: (3.0 * math.sin(math.pi * wub(t)), -4.0 + 2.0 * wub(t),
                        17.0 - 3.0 * wub(t)),
             lambda t: (0.0, 0.0, 1.0),
             lambda t: 200.0 * wub(t))
    s.background = (1.0, 1.0, 1.0)
    return s
