"""drunmoth: the last drop. Night; a street lamp burns in the middle of a wet square and a
great moth, drunk on its light, reels round it with beating wings, six small moths in its
wake; more lamps glow far off.

- Camera, "Section 3" (0 -> 1, 14.08 s, red, the flare of the drop): chasing the big moth
  round the lamp, swinging between the moth and the light.
"""

import math

from mathutils import Matrix, Vector

import kit

FRAMES, FPS = 282, 20  # 14.1 s
LAMP = Vector((0.0, 0.0, 8.0))
SECONDS = FRAMES / FPS


def moth_position(t):
    turns = 1.6
    a = 2 * math.pi * turns * t + 0.35 * math.sin(2 * math.pi * 7 * t)
    r = 5.0 + 0.9 * math.sin(2 * math.pi * 3 * t)
    z = LAMP.z + 0.2 + 1.2 * math.sin(2 * math.pi * 5 * t)
    return Vector((r * math.cos(a), r * math.sin(a), z))


def moth_frame(position_at, t, dt=0.002, bank=0.6):
    """Matrix of a flier at position_at(t), heading along its path, banked into turns."""
    p = position_at(t)
    ahead = position_at(t + dt) - position_at(t - dt)
    heading = math.atan2(ahead.y, ahead.x)
    climb = math.atan2(ahead.z, ahead.xy.length)
    return (Matrix.Translation(p) @ Matrix.Rotation(heading - math.pi / 2, 4, "Z")
            @ Matrix.Rotation(-bank, 4, "Y") @ Matrix.Rotation(climb, 4, "X"))


def wing_shape(side):
    """A fore and a hind wing on one side, flat with some thickness, hinged at the origin;
    side is +1 (right, +X) or -1."""
    fore = [(0.0, 0.2), (1.2, 0.9), (2.6, 1.0), (3.0, 0.5), (2.2, -0.2), (0.4, -0.3)]
    hind = [(0.0, -0.2), (1.6, -0.5), (2.0, -1.2), (1.3, -1.9), (0.4, -1.3)]
    bm = kit.prism(fore, -0.03, 0.03)
    kit.append_bmesh(bm, hind_bm := kit.prism(hind, -0.02, 0.02))
    hind_bm.free()
    if side < 0:
        bm.transform(Matrix.Scale(-1, 4, (1, 0, 0)))
        kit.bmesh.ops.reverse_faces(bm, faces=bm.faces)
    return bm


def build():
    s = kit.Scene("drunmoth", FRAMES, FPS, vfov=48.0, near=0.1, far=300.0)
    night = s.material("Night", (0.07, 0.025, 0.035), emit=1.0, spec=0.0, shine=1)
    ground = s.material("WetGround", (0.08, 0.07, 0.075), spec=0.9, shine=100)
    iron = s.material("Iron", (0.12, 0.12, 0.13), spec=0.6, shine=60)
    globe = s.material("Globe", (1.0, 0.86, 0.62), emit=1.0, spec=0.0, shine=8)
    far_globe = s.material("FarGlobe", (1.0, 0.7, 0.45), emit=1.0, spec=0.0, shine=8)
    body = s.material("MothBody", (0.3, 0.16, 0.1), spec=0.3, shine=20)
    wing = s.material("MothWing", (0.62, 0.32, 0.2), spec=0.3, shine=20)
    eye = s.material("MothEye", (1.0, 0.75, 0.35), emit=0.9, spec=0.2, shine=16)

    s.add_static(kit.flip_normals(kit.sphere(150.0, 3)), night)
    s.add_static(kit.cylinder(60.0, 0.4, segments=48, center=(0, 0, -0.2), smooth=False),
                 ground)

    def lamp_post(x, y, height, mat):
        s.add_static(kit.cylinder(0.14, height, segments=10, center=(x, y, height / 2)), iron)
        s.add_static(kit.cylinder(0.5, 0.5, segments=10, center=(x, y, 0.25)), iron)
        s.add_static(kit.cylinder(0.35, 0.3, segments=10, center=(x, y, height + 0.15)),
                     iron)
        s.add_static(kit.sphere(0.9, 2, center=(x, y, height + 1.0)), mat)

    lamp_post(LAMP.x, LAMP.y, LAMP.z - 1.0, globe)
    for k in range(7):
        a = math.radians(20 + 50 * k)
        r = 24 + 6 * (k % 3)
        lamp_post(r * math.cos(a), r * math.sin(a), 6.5, far_globe)
    s.bake_static()

    # The big moth: a body and two wings, each placed from the body's flight and the beat.
    torso = kit.sphere(0.5, 2)
    torso.transform(Matrix.Diagonal((0.7, 2.4, 0.7, 1)))
    head = kit.sphere(0.32, 1, center=(0, 1.3, 0.05))
    kit.append_bmesh(torso, head)
    head.free()
    moth = s.mesh_object("Moth", torso, body)
    s.animate(moth, lambda t: moth_frame(moth_position, t))
    for side, name in ((1, "WingRight"), (-1, "WingLeft")):
        shape = wing_shape(side)
        spot = kit.cylinder(0.32, 0.1, segments=12, center=(side * 1.9, 0.35, 0), smooth=False)
        ob = s.compound_object(name, [(shape, wing), (spot, eye)])

        def flap(t, side=side):
            beat = math.sin(2 * math.pi * 2.2 * SECONDS * t)
            return (moth_frame(moth_position, t) @ Matrix.Translation((side * 0.3, 0.2, 0.1))
                    @ Matrix.Rotation(side * (0.25 + 0.85 * beat), 4, "Y"))

        s.animate(ob, flap)

    # Small moths: one shape each, fluttering round the globe.
    small = kit.prism([(0, 0.1), (0.7, 0.5), (0.9, -0.1), (0.3, -0.5)], -0.02, 0.02)
    other = kit.prism([(0, 0.1), (-0.3, -0.5), (-0.9, -0.1), (-0.7, 0.5)], -0.02, 0.02)
    kit.append_bmesh(small, other)
    other.free()
    first = None
    for k in range(6):
        name = f"Moth_{k}"
        if first is None:
            first = s.mesh_object(name, small, wing)
            ob = first
        else:
            ob = s.mesh_object(name, None, None, data=first.data)

        def path(t, k=k):
            a = 2 * math.pi * (k / 6 + (2.5 + 0.3 * k) * t) + 0.5 * math.sin(11 * t + k)
            r = 1.6 + 0.5 * math.sin(2 * math.pi * (4 + k) * t + k)
            z = LAMP.z + 0.8 * math.sin(2 * math.pi * (3 + 0.5 * k) * t + 2 * k)
            return Vector((r * math.cos(a), r * math.sin(a), z))

        s.animate(ob, lambda t, path=path, k=k: moth_frame(path, t, bank=0.8)
                  @ Matrix.Rotation(0.6 * math.sin(2 * math.pi * (3 + k % 3) * SECONDS * t),
                                    4, "Y"))

    s.point_light("GlobeLight", tuple(LAMP), (1.0, 0.85, 0.6), intensity=1.6, reach=7)
    s.point_light("Moon", (-20, 15, 30), (0.55, 0.6, 0.9), intensity=0.6, reach=45)
    s.point_light("Ember", (10, -12, 2), (1.0, 0.3, 0.2), intensity=0.6, reach=20)

    def camera_position(t):
        m = moth_position(t)
        a = math.atan2(m.y, m.x) - math.radians(42)
        r = 10.0 - 1.5 * math.sin(2 * math.pi * t)
        return (r * math.cos(a), r * math.sin(a), LAMP.z + 1.0 - 3.0 * math.sin(math.pi * t))

    def camera_target(t):
        mix = 0.55 + 0.3 * math.sin(2 * math.pi * 2 * t)
        return tuple(moth_position(t) * mix + LAMP * (1 - mix))

    s.camera("Camera", camera_position, camera_target,
             lambda t: 10.0 * math.sin(2 * math.pi * 3 * t))
    s.background = (0.07, 0.025, 0.035)
    return s
