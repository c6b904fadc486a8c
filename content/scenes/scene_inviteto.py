"""inviteto: an invitation card to an invented party, standing on a dark table in a warm dark
room, lit from the side, with a glowing frame. No marker shows it; its camera drifts round
the card and closer."""

import math

from mathutils import Matrix

import kit

FRAMES, FPS = 200, 20  # 10 s
LINES = [("YOU ARE INVITED TO", "bebas", 0.5, 2.3),
         ("BRANNOCH", "spartan", 1.5, 1.0),
         ("DEMOPARTY  2026", "bebas", 0.7, -0.3),
         ("DEMOS  MUSIC  GRAPHICS  LIVE COMPOS", "dejavu", 0.28, -1.3)]


def build():
    s = kit.Scene("inviteto", FRAMES, FPS, vfov=34.0, near=0.1, far=200.0)
    room = s.material("Room", (0.09, 0.07, 0.06), emit=1.0, spec=0.0, shine=1)
    table = s.material("Table", (0.16, 0.1, 0.07), spec=0.6, shine=70)
    card = s.material("Card", (0.93, 0.9, 0.84), spec=0.2, shine=20)
    ink = s.material("CardInk", (0.06, 0.06, 0.08), spec=0.5, shine=50)
    frame = s.material("CardFrame", (1.0, 0.7, 0.4), emit=1.0, spec=0.0, shine=8)

    s.add_static(kit.flip_normals(kit.sphere(80.0, 3)), room)
    s.add_static(kit.box((30, 20, 0.6), (0, 4, -0.3)), table)
    tilt = Matrix.Translation((0, 0, 3.2)) @ Matrix.Rotation(math.radians(-8), 4, "X")
    s.add_static(kit.box((8.6, 0.16, 5.6)), card, tilt)
    for size, at in (((8.9, 0.1, 0.08), (0, -0.05, 2.9)), ((8.9, 0.1, 0.08), (0, -0.05, -2.9)),
                     ((0.08, 0.1, 5.88), (4.42, -0.05, 0)),
                     ((0.08, 0.1, 5.88), (-4.42, -0.05, 0))):
        s.add_static(kit.box(size, at), frame, tilt)
    for body, font, size, z in LINES:
        words = kit.upright(kit.text(body, font, size=size, extrude=0.04, spacing=1.05))
        s.add_static(words, ink, tilt @ Matrix.Translation((0, -0.1, z)))
    # The foot that holds the card up.
    s.add_static(kit.box((3.0, 1.2, 0.3), (0, 0.6, 0.15)), table)
    s.bake_static()

    s.point_light("Key", (-9, -10, 8), (1.0, 0.9, 0.78), intensity=1.2, reach=30)
    s.point_light("Fill", (10, -6, 3), (0.6, 0.65, 0.85), intensity=0.4, reach=30)
    s.point_light("Glow", (0, -1.5, 3.2), (1.0, 0.7, 0.4), intensity=0.4, reach=4)

    def position(t):
        a = math.radians(-28 + 50 * kit.ease(t))
        r = 17.0 - 4.0 * kit.ease(t)
        return (r * math.sin(a), -r * math.cos(a), 3.6 + 1.5 * math.cos(math.pi * t))

    s.camera("Camera", position, lambda t: (0.0, 0.0, 3.2 - 0.2 * t))
    s.background = (0.09, 0.07, 0.06)
    return s
