"""pellicor: the finale. A blossom of thin golden petals in three turning tiers opens round a
glowing core on a pale floor; motes drift up through it.

- Camera, "Finish" (0.28 -> 1, 7.04 s, gold, the closing cadence): from the side, rising
  and pushing in until it looks down into the core.
- "Stop" (1 -> 0.4, 3.52 s, the last hit, fading to black) plays the same path backwards,
  twice as fast: the camera pulls away and down while the picture fades.
- "END" (0.4 -> 0) lies at the very end of the song and is never on screen for long.
"""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 240, 24  # 10 s


def petal(length, width):
    bm = kit.sphere(1.0, 2, smooth=True)
    bm.transform(Matrix.Translation((0, length / 2, 0))
                 @ Matrix.Diagonal((width / 2, length / 2, 0.07, 1)))
    return bm


def tier(count, length, width, tilt, height):
    bm = kit.bmesh.new()
    for k in range(count):
        part = petal(length, width)
        part.transform(Matrix.Rotation(2 * math.pi * k / count, 4, "Z")
                       @ Matrix.Translation((0, 0.6, height)) @ Matrix.Rotation(tilt, 4, "X"))
        kit.append_bmesh(bm, part)
        part.free()
    return bm


def build():
    s = kit.Scene("pellicor", FRAMES, FPS, vfov=42.0, near=0.1, far=300.0)
    floor = s.material("PaleFloor", (0.9, 0.88, 0.84), spec=0.1, shine=10)
    inlay = s.material("Inlay", (0.55, 0.45, 0.3), spec=0.4, shine=40)
    gold = s.material("Petal", (0.95, 0.74, 0.4), spec=0.7, shine=60)
    deep = s.material("PetalDeep", (0.6, 0.3, 0.16), spec=0.5, shine=40)
    core = s.material("Core", (1.0, 0.86, 0.55), emit=1.0, spec=0.0, shine=8)
    mote = s.material("Mote", (1.0, 0.9, 0.7), emit=0.9, spec=0.0, shine=8)

    s.add_static(kit.cylinder(40.0, 0.4, segments=64, center=(0, 0, -0.2), smooth=False), floor)
    for r in (6.0, 9.5, 14.0):
        s.add_static(kit.torus(r, 0.08, 96, 6), inlay, Matrix.Translation((0, 0, 0.0)))
    s.add_static(kit.cylinder(0.5, 3.0, segments=12, center=(0, 0, 1.5)), deep)
    s.add_static(kit.sphere(1.3, 3, center=(0, 0, 3.4)), core)
    s.bake_static()

    tiers = (("Inner", 8, 3.2, 1.6, math.radians(62), 2.8, gold, 0.25),
             ("Middle", 12, 5.0, 2.0, math.radians(38), 2.2, deep, -0.15),
             ("Outer", 16, 7.0, 2.4, math.radians(14), 1.4, gold, 0.1))
    for name, count, length, width, tilt, height, mat, turns in tiers:
        ob = s.mesh_object(name, tier(count, length, width, tilt, height), mat)
        s.animate(ob, lambda t, turns=turns: Matrix.Rotation(2 * math.pi * turns * t, 4, "Z"))

    rng = kit.Lcg(31)
    motes = kit.bmesh.new()
    for _ in range(60):
        a = 2 * math.pi * rng.next()
        r = 2 + 12 * rng.next()
        part = kit.sphere(0.06 + 0.08 * rng.next(), 1, smooth=False)
        part.transform(Matrix.Translation((r * math.cos(a), r * math.sin(a),
                                           1 + 12 * rng.next())))
        kit.append_bmesh(motes, part)
        part.free()
    drift = s.mesh_object("Motes", motes, mote)
    s.animate(drift, lambda t: Matrix.Translation((0, 0, 2.5 * t))
              @ Matrix.Rotation(0.8 * t, 4, "Z"))

    s.point_light("CoreLight", (0, 0, 3.4), (1.0, 0.85, 0.6), intensity=1.3, reach=8)
    s.point_light("Key", (-14, -18, 16), (1.0, 0.95, 0.88), intensity=1.0, reach=60)
    s.point_light("Sky", (16, 12, 20), (0.7, 0.75, 0.95), intensity=0.5, reach=60)

    def position(t):
        e = kit.ease(kit.window(t, 0.2, 1.0))
        radius = 30.0 - 22.0 * e
        angle = math.radians(-100 + 80 * t)
        return (radius * math.cos(angle), radius * math.sin(angle), 2.5 + 9.5 * e)

    s.camera("Camera", position,
             lambda t: kit.lerp((0.0, 0.0, 5.0), (0.0, 0.0, 2.8), kit.ease(t)),
             lambda t: -4.0 * math.sin(math.pi * t))
    s.background = (1.0, 1.0, 1.0)
    return s
