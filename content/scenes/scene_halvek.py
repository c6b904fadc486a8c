"""halvek: a dark hall. Two rows of tall pillars form a nave under a night-blue vault, small
lanterns hang between them, and at its end a great faceted crystal turns inside three
rings, its core glowing.

- Camera, "Break" (0 -> 1, 14.08 s, deep blue, no drums, a focus pull): a slow glide down
  the nave towards the crystal.
- Camera_001, "Section 4" (0 -> 0.8, 14.08 s, magenta, the drop): a fast, tilting orbit
  close around the crystal and its rings.
"""

import math

from mathutils import Matrix, Vector

import kit

FRAMES, FPS = 352, 25  # 14.08 s
CRYSTAL = Vector((0.0, 30.0, 6.0))


def build():
    s = kit.Scene("halvek", FRAMES, FPS, vfov=46.0, near=0.1, far=300.0)
    vault = s.material("Vault", (0.035, 0.05, 0.12), emit=1.0, spec=0.0, shine=1)
    floor = s.material("HallFloor", (0.07, 0.08, 0.12), spec=0.8, shine=90)
    pillar = s.material("Pillar", (0.32, 0.34, 0.42), spec=0.4, shine=40)
    lantern = s.material("Lantern", (0.65, 0.85, 1.0), emit=1.0, spec=0.0, shine=8)
    crystal = s.material("Crystal", (0.78, 0.82, 0.95), emit=0.15, spec=0.9, shine=120)
    core = s.material("Core", (0.7, 0.9, 1.0), emit=1.0, spec=0.0, shine=8)
    ring = s.material("HaloRing", (0.6, 0.62, 0.7), spec=0.7, shine=80)

    s.add_static(kit.flip_normals(kit.sphere(140.0, 3, center=(0, 20, 0), smooth=True)), vault)
    s.add_static(kit.box((40, 90, 0.4), (0, 20, -0.2)), floor)
    pillars = [(x, y) for y in range(-20, 16, 7) for x in (-7.5, 7.5)]
    pillars += [(CRYSTAL.x + 17 * math.cos(a), CRYSTAL.y + 17 * math.sin(a))
                for a in (math.radians(d) for d in range(-30, 211, 30))]
    for x, y in pillars:
        s.add_static(kit.cylinder(0.7, 24.0, segments=12, center=(x, y, 12.0)), pillar)
        s.add_static(kit.box((2.0, 2.0, 0.8), (x, y, 0.4)), pillar)
        s.add_static(kit.box((2.0, 2.0, 0.8), (x, y, 24.0)), pillar)
    for y in range(-17, 16, 7):
        for x in (-3.5, 3.5):
            z = 7.5 + 1.5 * math.sin(y * 0.7 + x)
            lamp = kit.sphere(0.28, 1, smooth=False)
            lamp.transform(Matrix.Translation((x, y, z)) @ Matrix.Diagonal((1, 1, 1.8, 1)))
            s.add_static(lamp, lantern)
            s.add_static(kit.cylinder(0.02, 24.0 - z, segments=4, center=(x, y, (24 + z) / 2),
                                      smooth=False), pillar)
    s.add_static(kit.cylinder(6.0, 1.0, segments=24, center=(CRYSTAL.x, CRYSTAL.y, 0.5)), pillar)
    s.add_static(kit.sphere(1.1, 2, center=tuple(CRYSTAL)), core)
    s.bake_static()

    gem = kit.sphere(3.0, 1, smooth=False)
    gem.transform(Matrix.Diagonal((1, 1, 1.5, 1)))
    shell = s.mesh_object("Crystal", gem, crystal)
    s.animate(shell, lambda t: Matrix.Translation(CRYSTAL + Vector((0, 0, 0.4 * math.sin(
        2 * math.pi * t)))) @ Matrix.Rotation(2 * math.pi * 0.5 * t, 4, "Z"))
    for i, (radius, tilt, turns) in enumerate(((5.0, 0.5, 1.0), (6.2, -0.7, -0.75),
                                               (7.4, 1.2, 0.5))):
        ob = s.mesh_object(f"Ring_{i}", kit.torus(radius, 0.12, 96, 8), ring)
        s.animate(ob, lambda t, tilt=tilt, turns=turns: Matrix.Translation(CRYSTAL)
                  @ Matrix.Rotation(2 * math.pi * turns * t, 4, "Z")
                  @ Matrix.Rotation(tilt, 4, "X"))

    s.point_light("CoreLight", tuple(CRYSTAL), (0.7, 0.85, 1.0), intensity=1.4, reach=14)
    s.point_light("NaveA", (0, 0, 9), (0.5, 0.65, 1.0), intensity=0.6, reach=12)
    s.point_light("NaveB", (0, 16, 9), (0.5, 0.65, 1.0), intensity=0.6, reach=12)
    s.point_light("Moon", (-30, -40, 60), (0.45, 0.5, 0.75), intensity=0.6, reach=200)
    s.point_light("Rim", (6, 42, 12), (0.9, 0.6, 1.0), intensity=0.8, reach=20)

    s.camera("Camera",
             lambda t: (1.2 * math.sin(math.pi * t), -24.0 + 38.0 * kit.ease(t) * 0.7
                        + 38.0 * 0.3 * t, 2.0 + 2.0 * t),
             lambda t: kit.lerp((0.0, 20.0, 5.0), tuple(CRYSTAL), kit.ease(t)),
             lambda t: 2.0 * math.sin(math.pi * t))

    def orbit(t):
        angle = math.radians(200 + 400 * t)
        radius = 13.0 - 4.0 * math.sin(math.pi * t / 0.8)
        height = CRYSTAL.z + 1.5 + 4.0 * math.sin(2 * math.pi * t / 0.8)
        return (CRYSTAL.x + radius * math.cos(angle), CRYSTAL.y + radius * math.sin(angle),
                height)

    s.camera("Camera_001", orbit, lambda t: tuple(CRYSTAL),
             lambda t: 14.0 * math.sin(2 * math.pi * 1.25 * t))
    s.background = (0.035, 0.05, 0.12)
    return s
