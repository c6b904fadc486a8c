"""kv: the group's logo scene. The wordmark QUORVEL stands on a low dark plinth before a
great segmented ring that turns slowly; a cloud of shards drifts around them, white void
beyond. Four sections look at it, each over the whole 14.08 s of keys:

- Camera_003, "Quorvel" (0 -> 1, fading up from black, cold): a slow push in from far and
  low through the shards to the word.
- Camera_002, "Tessane" (shown 1 -> 0, violet): a sideways arc around the ring, designed
  backwards so that played in reverse it travels from right to left and settles.
- Camera_001, "Breakbeat" (0 -> 1, orange, flashes): a low, fast sweep close along the
  letters, looking up, with a slight roll.
- Camera, "Second buildup D" (0 -> 1, the two 2D logos laid over 3.9 s to 12.0 s): a high
  descending crane that keeps the middle of the picture calm for the logos.
"""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 352, 25  # 14.08 s, the length of each section that shows it


def build():
    s = kit.Scene("kv", FRAMES, FPS, vfov=38.0, near=0.1, far=300.0)
    ink = s.material("Ink", (0.05, 0.055, 0.07), spec=0.6, shine=60)
    steel = s.material("Steel", (0.55, 0.58, 0.62), spec=0.5, shine=40)
    ice = s.material("Ice", (0.55, 0.85, 1.0), emit=1.0, spec=0.2, shine=16)
    plinth = s.material("Plinth", (0.16, 0.17, 0.2), spec=0.3, shine=30)
    shard = s.material("Shard", (0.3, 0.36, 0.46), spec=0.5, shine=50)

    word = kit.upright(kit.text("QUORVEL", "spartan", size=2.4, extrude=0.22, spacing=1.08))
    s.add_static(word, ink, Matrix.Translation((0, 0, 1.25)))
    s.add_static(kit.box((11.5, 0.08, 0.08), (0, -0.3, 0.08)), ice)
    s.add_static(kit.box((13.0, 3.2, 0.3), (0, 0.2, -0.15)), plinth)
    s.add_static(kit.box((14.0, 4.0, 0.1), (0, 0.2, -0.35)), plinth)
    s.bake_static()

    # The emblem: 20 segments of a ring standing behind the word, turning about its axis.
    ring = kit.bmesh.new()
    for i in range(20):
        seg = kit.torus(6.2, 0.35, major_segments=6, minor_segments=8,
                        arc=2 * math.pi / 20 * 0.72, smooth=True)
        seg.transform(Matrix.Rotation(2 * math.pi * i / 20, 4, "Z"))
        kit.append_bmesh(ring, seg)
        seg.free()
    inner = kit.torus(5.4, 0.06, major_segments=96, minor_segments=6)
    kit.append_bmesh(ring, inner)
    inner.free()
    ring_ob = s.mesh_object("Ring", ring, steel)
    s.animate(ring_ob, lambda t: Matrix.Translation((0, 2.2, 2.6))
              @ Matrix.Rotation(math.pi / 2, 4, "X") @ Matrix.Rotation(-0.9 * t, 4, "Z"))
    glow = kit.torus(7.0, 0.05, major_segments=96, minor_segments=6)
    glow_ob = s.mesh_object("Halo", glow, ice)
    s.animate(glow_ob, lambda t: Matrix.Translation((0, 2.6, 2.6))
              @ Matrix.Rotation(math.pi / 2 + 0.15 * math.sin(2 * math.pi * t), 4, "X")
              @ Matrix.Rotation(0.6 * t, 4, "Z"))

    # Shards: a loose shell of thin slabs around the stage, drifting as one cloud.
    rng = kit.Lcg(7)
    shards = kit.bmesh.new()
    for _ in range(70):
        r = 15 + 14 * rng.next()
        a = 2 * math.pi * rng.next()
        z = -1 + 9 * rng.next()
        size = 0.25 + 0.6 * rng.next()
        part = kit.box((size, size * 0.15, size * 1.6))
        part.transform(Matrix.Translation((r * math.cos(a), r * math.sin(a), z))
                       @ Matrix.Rotation(6.28 * rng.next(), 4, "Z")
                       @ Matrix.Rotation(6.28 * rng.next(), 4, "X"))
        kit.append_bmesh(shards, part)
        part.free()
    cloud = s.mesh_object("Shards", shards, shard)
    s.animate(cloud, lambda t: Matrix.Rotation(0.35 * t, 4, "Z"))

    s.point_light("Key", (-8, -12, 10), (0.92, 0.96, 1.0), intensity=1.1, reach=40)
    s.point_light("Rim", (6, 10, 6), (0.7, 0.85, 1.0), intensity=0.8, reach=30)
    s.point_light("Low", (4, -6, 0.6), (1.0, 0.9, 0.8), intensity=0.5, reach=12)

    def orbit(angle, radius, height):
        return (radius * math.sin(angle), -radius * math.cos(angle), height)

    # "Quorvel": far and low to near, slowing down.
    s.camera("Camera_003",
             lambda t: kit.lerp((-7.0, -34.0, 0.8), (-1.4, -10.5, 1.7), kit.ease(t) * 0.8
                                + 0.2 * t),
             lambda t: kit.lerp((0.0, 0.0, 2.2), (0.2, 0.0, 1.3), kit.ease(t)))
    # "Tessane" plays it backwards: u = 1 - t is the section's own progress.
    s.camera("Camera_002",
             lambda t: orbit(math.radians(55 - 95 * kit.ease(1 - t)), 13 - 2.5 * (1 - t),
                             4.5 - 2.5 * (1 - t)),
             lambda t: (2.0 * (0.5 - (1 - t)), 1.5, 2.2),
             lambda t: 4.0 * (t - 0.5))
    # "Breakbeat": low and close along the letters.
    s.camera("Camera_001",
             lambda t: orbit(math.radians(-62 + 124 * t), 8.2 + 0.8 * math.sin(math.pi * t),
                             0.35 + 0.4 * t),
             lambda t: (-4.0 + 8.0 * t, 0.0, 1.6 + 0.6 * math.sin(math.pi * t)),
             lambda t: -6.0 + 12.0 * t)
    # "Second buildup D": high, descending, the ring framing the middle.
    s.camera("Camera",
             lambda t: orbit(math.radians(-18 + 30 * t), 26 - 6 * kit.ease(t),
                             13 - 7 * kit.ease(t)),
             lambda t: (0.0, 1.5, 5.6 - 1.4 * t))
    s.background = (1.0, 1.0, 1.0)
    return s

