"""compos_baked: the long main section, one continuous flight over 56.32 s of keys. A city
of dark monoliths with glowing bands lines a straight avenue that leads to a tall spire
crowned by turning rings. All buildings are baked into a few meshes in world coordinates;
only the crown and the camera move.

- "Section 1" (0 -> 0.5, 28.16 s, gold, four to the floor): low down the avenue, a tower
  passing about every beat, climbing at the end towards the spire.
- "Section 2" (0.5 -> 1, 28.16 s, cyan): rising and circling the spire, closing in on
  its crown.
"""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 563, 10  # 56.3 s, the two sections' length: keys play in real time
SPIRE = (0.0, 90.0)


def tower(s, rng, x, y, materials):
    ink, stone, band = materials
    w = 3.2 + 1.6 * rng.next()
    d = 3.2 + 1.6 * rng.next()
    centre = 1.0 - min(1.0, math.hypot(x, (y - SPIRE[1]) * 0.5) / 90)
    h = 5 + 30 * centre * rng.next() + 8 * rng.next()
    mat = ink if rng.next() < 0.7 else stone
    s.add_static(kit.box((w, d, h), (x, y, h / 2)), mat)
    if rng.next() < 0.55:
        step = 3.0 + 3.0 * rng.next()
        z = step
        while z < h - 1:
            s.add_static(kit.box((w + 0.12, d + 0.12, 0.25), (x, y, z)), band)
            z += step
    if h > 22 and rng.next() < 0.6:
        s.add_static(kit.box((w * 0.55, d * 0.55, 4.0), (x, y, h + 2.0)), mat)


def build():
    s = kit.Scene("compos", FRAMES, FPS, vfov=50.0, near=0.2, far=500.0)
    ink = s.material("Monolith", (0.06, 0.065, 0.08), spec=0.5, shine=50)
    stone = s.material("Stone", (0.42, 0.44, 0.48), spec=0.3, shine=30)
    band = s.material("Band", (1.0, 0.86, 0.6), emit=1.0, spec=0.1, shine=8)
    ground = s.material("Ground", (0.62, 0.63, 0.66), spec=0.1, shine=10)
    road = s.material("Road", (0.2, 0.21, 0.24), spec=0.2, shine=20)
    lamp = s.material("Lamp", (0.7, 0.95, 1.0), emit=1.0, spec=0.1, shine=8)
    crown = s.material("Crown", (0.85, 0.87, 0.9), emit=0.25, spec=0.7, shine=80)

    rng = kit.Lcg(2024)
    s.add_static(kit.box((400, 400, 1.0), (0, 0, -0.5)), ground)
    s.add_static(kit.box((9.0, 230, 0.1), (0, -40, 0.05)), road)
    for y in range(-150, 80, 6):
        s.add_static(kit.box((0.3, 2.2, 0.05), (0, y, 0.12)), lamp)
    for ix in range(-5, 6):
        if ix == 0:
            continue
        for iy in range(-25, 14):
            x = ix * 7.0 + (1.5 if ix > 0 else -1.5)
            y = iy * 7.0
            if math.hypot(x - SPIRE[0], y - SPIRE[1]) < 22:
                continue
            tower(s, rng, x, y, (ink, stone, band))
    # The spire: a tapering eight-sided shaft with glowing rings.
    shaft = kit.cylinder(6.0, 80.0, segments=8, center=(0, 0, 40.0), radius2=1.5,
                         smooth=False)
    s.add_static(shaft, ink, Matrix.Translation((*SPIRE, 0)))
    for k in range(1, 8):
        z = k * 9.5
        r = 6.0 - 4.5 * z / 80 + 0.25
        s.add_static(kit.cylinder(r, 0.5, segments=8, center=(0, 0, z), smooth=False), band,
                     Matrix.Translation((*SPIRE, 0)))
    s.add_static(kit.cylinder(14.0, 2.0, segments=8, center=(0, 0, 1.0), smooth=False), stone,
                 Matrix.Translation((*SPIRE, 0)))
    s.bake_static()

    for name, radius, tilt, turns, height in (("CrownA", 12.0, 0.35, 1.0, 66.0),
                                              ("CrownB", 17.0, -0.25, -0.6, 58.0)):
        ring = s.mesh_object(name, kit.torus(radius, 0.45, 96, 8), crown)
        s.animate(ring, lambda t, tilt=tilt, turns=turns, height=height:
                  Matrix.Translation((*SPIRE, height)) @ Matrix.Rotation(tilt, 4, "X")
                  @ Matrix.Rotation(2 * math.pi * turns * t, 4, "Z"))

    s.point_light("Sun", (-300, -400, 500), (1.0, 0.97, 0.92), intensity=1.1, reach=5000)
    s.point_light("Sky", (400, 200, 300), (0.6, 0.7, 0.85), intensity=0.45, reach=5000)
    s.point_light("SpireGlow", (SPIRE[0], SPIRE[1] - 10, 70), (1.0, 0.9, 0.7), intensity=1.0,
                  reach=40)
    s.point_light("Avenue", (0, -60, 8), (0.7, 0.9, 1.0), intensity=0.6, reach=25)

    s.camera("Camera", camera_position, camera_target, camera_roll)
    s.background = (1.0, 1.0, 1.0)
    return s


def camera_position(t):
    if t <= 0.5:
        u = t / 0.5
        return (2.2 * math.sin(2 * math.pi * 1.5 * u), -125.0 + 165.0 * u, 3.0 + 4.0 * u ** 3)
    u = (t - 0.5) / 0.5
    radius = 50.0 + 25.0 * math.sin(math.pi * min(1.0, 1.4 * u)) - 8.0 * kit.ease(u)
    angle = math.radians(-90 + 270 * kit.smoothstep(u))
    height = 7.0 + 55.0 * kit.smoothstep(1.4 * u) - 10.0 * kit.smoothstep((u - 0.7) / 0.3)
    return (radius * math.cos(angle) + SPIRE[0], radius * math.sin(angle) + SPIRE[1], height)


def camera_target(t):
    crown = (SPIRE[0], SPIRE[1], 28.0)
    if t <= 0.5:
        u = t / 0.5
        x, y, z = camera_position(t)
        ahead = (0.0, y + 40.0, 4.0 + 2.0 * u)
        return kit.lerp(ahead, crown, kit.ease(kit.window(u, 0.7, 1.0)))
    u = (t - 0.5) / 0.5
    return (SPIRE[0], SPIRE[1], 28.0 + 34.0 * kit.smoothstep(u))


def camera_roll(t):
    if t <= 0.5:
        return 3.0 * math.sin(2 * math.pi * 1.5 * t / 0.5)
    return -8.0 * math.sin(math.pi * (t - 0.5) / 0.5)
