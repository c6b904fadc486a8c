"""What the program shows of a scene file, worked out independently of Blender: the file is
read by assimp's own tool with the program's import steps, and the program's conventions are
applied to what it reports (vertices turned from (x, y, z) to (x, z, -y), node matrices
transposed into row-vector form and each composed as parent x local, animation channels
evaluated as rotation x translation x scale, the camera from its channel alone, its field of
view taken as the vertical one at 16:9).

The generator compares this with Blender's own view of the scene it built, so a file that the
program would show differently from the preview is never written.
"""

import math
import os
import re
import subprocess
import tempfile
import xml.etree.ElementTree as ET

# The program's import steps, as the flags of assimp's command-line tool (-lh is
# MakeLeftHanded with FlipUVs and FlipWindingOrder).
ASSIMP_FLAGS = ["-cts", "-jiv", "-lh", "-tri", "-lbw", "-icl", "-rrm", "-sbpt", "-fd", "-fid",
                "-guv", "-tuv", "-fi", "-om", "-sbc"]
ASPECT = 1.7777778


def identity():
    return [[1.0 if i == j else 0.0 for j in range(4)] for i in range(4)]


def mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(4)) for j in range(4)] for i in range(4)]


def transpose(m):
    return [list(r) for r in zip(*m)]


def inverse(m):
    a = [list(r) + [1.0 if i == j else 0.0 for j in range(4)] for i, r in enumerate(m)]
    for c in range(4):
        p = max(range(c, 4), key=lambda r: abs(a[r][c]))
        a[c], a[p] = a[p], a[c]
        d = a[c][c]
        a[c] = [x / d for x in a[c]]
        for r in range(4):
            if r != c:
                f = a[r][c]
                a[r] = [x - f * y for x, y in zip(a[r], a[c])]
    return [r[4:] for r in a]


def row_times(v, m):
    return [sum(v[k] * m[k][j] for k in range(4)) for j in range(4)]


def rotation_rows(q):
    x, y, z, w = q
    return [[1 - 2 * y * y - 2 * z * z, 2 * x * y + 2 * z * w, 2 * x * z - 2 * y * w, 0],
            [2 * x * y - 2 * z * w, 1 - 2 * x * x - 2 * z * z, 2 * y * z + 2 * x * w, 0],
            [2 * x * z + 2 * y * w, 2 * y * z - 2 * x * w, 1 - 2 * x * x - 2 * y * y, 0],
            [0, 0, 0, 1]]


def slerp(q0, q1, f):
    d = sum(a * b for a, b in zip(q0, q1))
    s = 1.0
    if d < 0:
        s, d = -1.0, -d
    if d < 0.99999:
        omega = math.atan2(math.sqrt(1 - d * d), d)
        w0 = math.sin((1 - f) * omega) / math.sin(omega)
        w1 = math.sin(f * omega) / math.sin(omega)
    else:
        w0, w1 = 1 - f, f
    return [a * w0 + b * s * w1 for a, b in zip(q0, q1)]


def search(keys, t):
    """(c, next, f) of the program's key search, from a fresh cursor."""
    last = len(keys) - 1
    c = 0
    while c < last and keys[c + 1][0] < t:
        c += 1
    if c == last or keys[c][0] > t:
        return c, c, 0.0
    return c, c + 1, (t - keys[c][0]) / (keys[c + 1][0] - keys[c][0])


def lerp3(a, b, f):
    return [x + (y - x) * f for x, y in zip(a, b)]


class Channel:
    def __init__(self, node, positions, rotations, scalings):
        self.node = node
        self.positions = positions  # [(time, [x, y, z])]
        self.rotations = rotations  # [(time, [x, y, z, w])], normalised
        self.scalings = scalings

    def evaluate(self, t):
        c, n, f = search(self.positions, t)
        p = lerp3(self.positions[c][1], self.positions[n][1], f)
        c, n, f = search(self.rotations, t)
        q = slerp(self.rotations[c][1], self.rotations[n][1], f)
        c, n, f = search(self.scalings, t)
        k = lerp3(self.scalings[c][1], self.scalings[n][1], f)
        return mul(mul(rotation_rows(q), translation(p)), scaling(k))

    def evaluate_camera(self, t):
        c, n, f = search(self.positions, t)
        p = lerp3(self.positions[c][1], self.positions[n][1], f)
        q = slerp(self.rotations[c][1], self.rotations[n][1], f)
        return mul(rotation_rows(q), translation(p))


def translation(p):
    m = identity()
    m[3][:3] = p
    return m


def scaling(k):
    m = identity()
    for i in range(3):
        m[i][i] = k[i]
    return m


def numbers(text):
    return [float(x) for x in text.split()]


class ProgramScene:
    """A scene file as the program holds it after import."""

    def __init__(self, dae_path, assimp="assimp"):
        with tempfile.TemporaryDirectory() as tmp:
            dump = os.path.join(tmp, "dump.xml")
            subprocess.run([assimp, "dump", dae_path, dump, *ASSIMP_FLAGS], check=True,
                           stdout=subprocess.DEVNULL)
            root = ET.parse(dump).getroot()
        scene = root.find("Scene")
        self.meshes = []
        for mesh in scene.find("MeshList").findall("Mesh"):
            pos = numbers(mesh.find("Positions").text)
            verts = [[pos[i], pos[i + 2], -pos[i + 1]] for i in range(0, len(pos), 3)]
            self.meshes.append(verts)
        self.channels = {}
        self.min_time, self.max_time = math.inf, -math.inf
        self.ticks_per_second = 1.0
        animations = scene.find("AnimationList")
        for anim in (animations.findall("Animation") if animations is not None else []):
            self.ticks_per_second = float(anim.get("tick_cnt"))
            for node_anim in anim.find("NodeAnimList").findall("NodeAnim"):
                def keys(list_tag, key_tag, normalise=False):
                    out = []
                    for key in node_anim.find(list_tag).findall(key_tag):
                        t = float(key.get("time"))
                        self.min_time = min(self.min_time, t)
                        self.max_time = max(self.max_time, t)
                        v = numbers(key.text)
                        if normalise:
                            length = math.sqrt(sum(x * x for x in v)) or 1.0
                            v = [x / length for x in v]
                        out.append((t, v))
                    return out
                name = node_anim.get("node")
                # The last channel of a name wins for nodes, the first for cameras; a name
                # carries one channel in these files.
                self.channels.setdefault(name, Channel(
                    name, keys("PositionKeyList", "PositionKey"),
                    keys("RotationKeyList", "RotationKey", True),
                    keys("ScalingKeyList", "ScalingKey")))
        self.nodes = []  # (name, parent index, local rows, mesh indices)
        self._walk(scene.find("Node"), -1)
        with open(dae_path, encoding="utf-8") as f:
            dae = f.read()
        xfov = re.search(r'<xfov sid="xfov">([^<]*)</xfov>', dae)
        self.fov = math.radians(float(xfov.group(1))) if xfov else None
        self.near = float(re.search(r'<znear sid="znear">([^<]*)</znear>', dae).group(1))
        self.far = float(re.search(r'<zfar sid="zfar">([^<]*)</zfar>', dae).group(1))

    def _walk(self, node, parent):
        rows = numbers(node.find("Matrix4").text)
        local = transpose([rows[i:i + 4] for i in range(0, 16, 4)])
        refs = node.find("MeshRefs")
        meshes = [int(x) for x in refs.text.split()] if refs is not None else []
        index = len(self.nodes)
        self.nodes.append((node.get("name"), parent, local, meshes))
        children = node.find("NodeList")
        for child in (children.findall("Node") if children is not None else []):
            self._walk(child, index)

    def world_matrices(self, t):
        worlds = []
        for name, parent, local, _ in self.nodes:
            base = identity() if parent < 0 else worlds[parent]
            if name in self.channels:
                local = self.channels[name].evaluate(t)
            worlds.append(mul(base, local))
        return worlds

    def view(self, camera, t):
        """The camera's view matrix (row-vector form) at key time t."""
        return inverse(self.channels[camera].evaluate_camera(t))

    def projection_scale(self):
        y = 1.0 / math.tan(0.5 * self.fov)
        return y / ASPECT, y

    def mesh_node_corners(self, camera, t):
        """{node name: the eight corners of its vertices' box, in view space}."""
        worlds = self.world_matrices(t)
        view = self.view(camera, t)
        out = {}
        for (name, _, _, meshes), world in zip(self.nodes, worlds):
            if not meshes:
                continue
            verts = [v for m in meshes for v in self.meshes[m]]
            wv = mul(world, view)
            out[name] = [row_times([x, y, z, 1.0], wv)[:3] for x, y, z in box_corners(verts)]
        return out


def box_corners(verts):
    lo = [min(v[i] for v in verts) for i in range(3)]
    hi = [max(v[i] for v in verts) for i in range(3)]
    return [(a, b, c) for a in (lo[0], hi[0]) for b in (lo[1], hi[1]) for c in (lo[2], hi[2])]
