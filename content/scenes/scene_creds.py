"""creds: the credits as 3D text, roles and the production's two names only. Three cards
stand in a row on a white floor; each turns to face the camera as it arrives.

- Camera, "Second buildup A" (0 -> 1, 7.04 s, violet warming, a focus pull): a sideways
  dolly past the three cards, about 2.3 s on each.
"""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 176, 25  # 7.04 s
CREDITS = [("CODE", "QUORVEL"), ("VISUALS", "QUORVEL"), ("MUSIC", "TESSANE")]
SPACING = 13.0


def arrival(k):
    """Scene time at which the camera is in front of card k."""
    return k / (len(CREDITS) - 1)


def build():
    s = kit.Scene("creds", FRAMES, FPS, vfov=36.0, near=0.1, far=200.0)
    ink = s.material("CreditInk", (0.04, 0.045, 0.06), spec=0.5, shine=50)
    accent = s.material("CreditRole", (0.95, 0.4, 0.12), emit=0.5, spec=0.2, shine=16)
    floor = s.material("CreditFloor", (0.86, 0.86, 0.88), spec=0.1, shine=10)
    rule = s.material("CreditRule", (0.2, 0.22, 0.28), spec=0.3, shine=30)

    s.add_static(kit.box((80, 30, 0.2), (SPACING, 6, -0.1)), floor)
    s.add_static(kit.box((80, 0.12, 0.04), (SPACING, -1.5, 0.02)), rule)
    for k in range(len(CREDITS) + 1):
        x = (k - 0.5) * SPACING
        s.add_static(kit.box((0.12, 0.12, 7.0), (x, 1.5, 3.5)), rule)
    s.bake_static()

    for k, (role, name) in enumerate(CREDITS):
        role_mesh = kit.upright(kit.text(role, "bebas", size=1.1, extrude=0.06, spacing=1.3))
        role_mesh.transform(Matrix.Translation((0, 0, 1.25)))
        name_mesh = kit.upright(kit.text(name, "spartan", size=2.0, extrude=0.3))
        name_mesh.transform(Matrix.Translation((0, 0, -0.4)))
        card = s.compound_object(f"Credit_{k}", [(role_mesh, accent), (name_mesh, ink)])
        x = k * SPACING

        def turn(t, x=x, k=k):
            d = (t - arrival(k)) * (len(CREDITS) - 1)
            angle = 1.2 * math.copysign(kit.smoothstep(abs(d) * 1.2), d)
            return Matrix.Translation((x, 0, 2.6)) @ Matrix.Rotation(-angle, 4, "Z")

        s.animate(card, turn)

    s.point_light("Key", (-10, -14, 12), (1.0, 0.97, 0.92), intensity=1.0, reach=60)
    s.point_light("Fill", (30, -10, 6), (0.7, 0.75, 0.9), intensity=0.6, reach=40)
    s.point_light("Back", (14, 10, 10), (1.0, 0.8, 0.7), intensity=0.5, reach=30)

    def x_at(t):
        return (len(CREDITS) - 1) * SPACING * t

    s.camera("Camera", lambda t: (x_at(t), -13.0 + 1.5 * math.sin(math.pi * t),
                                  2.8 + 0.4 * math.sin(2 * math.pi * t)),
             lambda t: (x_at(t) + 0.8, 0.0, 2.5))
    s.background = (1.0, 1.0, 1.0)
    return s
