"""Checks the production's scene files and pictures: every scene the registry names reads in
assimp's own tool, with the program's import steps, as what the program can draw (triangles
only, at most eight lights, nodes directly under the root), every camera a marker looks
through exists with position and rotation keys at the same times over the scene's whole key
range and no scale animation; the pictures have the sizes and channels the overlay needs;
and, where Blender is installed, regenerating gives the same bytes.

Reads the scene and marker tables from the program's registry source, so the checks follow
the program rather than the generator. Needs assimp-utils; the regeneration also needs
blender and the packages of content/setup.sh, and is skipped without them.
"""

import math
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zlib

SOURCE = os.environ.get("OSTREL_SOURCE_DIR",
                        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
RESOURCES = os.path.join(SOURCE, "resources")
TEXTURES = os.path.join(RESOURCES, "textures")
REGISTRY = os.path.join(SOURCE, "registry", "Resources.cpp")
# The program's import steps as assimp's tool names them (-lh: left-handed, flipped UVs and
# winding).
IMPORT_FLAGS = ["-cts", "-jiv", "-lh", "-tri", "-lbw", "-icl", "-rrm", "-sbpt", "-fd", "-fid",
                "-guv", "-tuv", "-fi", "-om", "-sbc"]
MAX_LIGHTS = 8
MAX_TRIANGLES = 60000
MAX_MESHES = 24  # the program compiles a shader pair per mesh at start-up
PICTURES = {"preload.png": (1920, 1080, (3, 4)), "quorvel_1920.png": (1920, 1080, (4,)),
            "Tessane_1920.png": (1920, 1080, (4,))}


def registry():
    """(scene key -> file name, [(marker, scene key, camera, start, end)])."""
    with open(REGISTRY, encoding="utf-8") as f:
        text = f.read()
    scenes = {key: name for key, name in
              re.findall(r'\{"(\w+)", L"resources\\\\([^"\\]+\.dae)"\}', text)}
    markers = [(m, key, cam, float(a), float(b)) for m, a, b, key, cam in
               re.findall(r'\{"([^"]+)", \{([\d.]+), ([\d.]+), "(\w+)", "(\w+)"\}\}', text)]
    return scenes, markers


def assimp(*args):
    return subprocess.run(["assimp", *args], capture_output=True, text=True, timeout=120)


class Dump:
    """The program's view of a file, from assimp's XML dump."""

    def __init__(self, path):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "dump.xml")
            result = assimp("dump", path, out, *IMPORT_FLAGS)
            if result.returncode != 0:
                raise AssertionError(f"{path}: assimp dump failed: {result.stderr}")
            self.scene = ET.parse(out).getroot().find("Scene")
        self.root = self.scene.find("Node")
        self.channels = {}
        for anim in self.scene.iter("NodeAnim"):
            self.channels.setdefault(anim.get("node"), anim)

    @staticmethod
    def keys(channel, kind):
        return [(float(k.get("time")), [float(x) for x in k.text.split()])
                for k in channel.find(f"{kind}KeyList").findall(f"{kind}Key")]

    def key_range(self):
        times = [t for ch in self.channels.values() for kind in ("Position", "Rotation",
                                                                  "Scaling")
                 for t, _ in self.keys(ch, kind)]
        return min(times), max(times)

    def nodes(self):
        """(node, depth) for every node, root first."""
        out = []

        def walk(node, depth):
            out.append((node, depth))
            children = node.find("NodeList")
            for child in (children.findall("Node") if children is not None else []):
                walk(child, depth + 1)

        walk(self.root, 0)
        return out


def png_info(path):
    """(width, height, channels, pixel rows as bytes) of an 8-bit PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, color_type, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[color_type]
    if depth != 8 or interlace:
        raise AssertionError(f"{path}: {depth}-bit, interlace {interlace}")
    return width, height, channels, unfilter(zlib.decompress(idat), width * channels, height,
                                             channels)


def unfilter(raw, stride, height, bpp):
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 1:
            for i in range(bpp, stride):
                row[i] = (row[i] + row[i - bpp]) & 255
        elif kind == 2:
            row = bytearray((a + b) & 255 for a, b in zip(row, previous))
        elif kind == 3:
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                row[i] = (row[i] + (left + previous[i]) // 2) & 255
        elif kind == 4:
            for i in range(stride):
                a = row[i - bpp] if i >= bpp else 0
                b, c = previous[i], previous[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(row))
        previous = row
    return rows


class SceneFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if shutil.which("assimp") is None:
            raise unittest.SkipTest("assimp-utils is not installed")
        cls.scenes, cls.markers = registry()
        cls.dumps = {name: Dump(os.path.join(RESOURCES, name)) for name in cls.scenes.values()}

    def test_registry_is_read(self):
        self.assertEqual(len(self.scenes), 10)
        self.assertGreaterEqual(len(self.markers), 17)

    def test_every_scene_reads_in_assimp(self):
        for name in self.scenes.values():
            with self.subTest(scene=name):
                result = assimp("info", os.path.join(RESOURCES, name))
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                info = result.stdout
                self.assertNotRegex(info + result.stderr, r"(?i)\berror\b")
                lights = int(re.search(r"Lights:\s+(\d+)", info).group(1))
                self.assertLessEqual(lights, MAX_LIGHTS)
                self.assertGreaterEqual(int(re.search(r"Cameras:\s+(\d+)", info).group(1)), 1)
                self.assertEqual(re.search(r"Primitive Types:\s+(.*)", info).group(1).strip(),
                                 "triangles")

    def test_meshes_are_triangles_and_few(self):
        for name, dump in self.dumps.items():
            with self.subTest(scene=name):
                meshes = dump.scene.find("MeshList").findall("Mesh")
                self.assertLessEqual(len(meshes), MAX_MESHES)
                triangles = 0
                for mesh in meshes:
                    self.assertEqual(mesh.get("types").split(), ["triangles"])
                    faces = mesh.find("FaceList")
                    self.assertTrue(all(f.get("num") == "3" for f in faces.findall("Face")))
                    triangles += int(faces.get("num"))
                self.assertGreater(triangles, 0)
                self.assertLessEqual(triangles, MAX_TRIANGLES)

    def test_moving_and_drawn_nodes_hang_from_the_root(self):
        # The program composes a node as parent x local, which is the file's own meaning
        # only for nodes directly under the root.
        for name, dump in self.dumps.items():
            with self.subTest(scene=name):
                for node, depth in dump.nodes():
                    if depth > 1:
                        self.fail(f"node {node.get('name')} lies {depth} levels deep")

    def test_marker_cameras_have_matching_keys_over_the_whole_range(self):
        for marker, key, camera, start, end in self.markers:
            name = self.scenes[key]
            dump = self.dumps[name]
            with self.subTest(marker=marker, scene=name, camera=camera):
                self.assertIn(camera, dump.channels, "no animation channel for the camera")
                self.assertIn(camera, [n.get("name") for n, _ in dump.nodes()])
                channel = dump.channels[camera]
                positions = dump.keys(channel, "Position")
                rotations = dump.keys(channel, "Rotation")
                self.assertGreater(len(positions), 1)
                self.assertEqual([t for t, _ in positions], [t for t, _ in rotations])
                first, last = dump.key_range()
                self.assertEqual((positions[0][0], positions[-1][0]), (first, last))
                for _, scale in dump.keys(channel, "Scaling"):
                    self.assertTrue(all(abs(s - 1.0) < 1e-3 for s in scale), scale)
                self.assertTrue(0.0 <= min(start, end) and max(start, end) <= 1.0)

    def test_cameras_of_a_scene_share_one_lens(self):
        # The program takes the field of view and clip planes of the file's first camera.
        for name in self.dumps:
            with self.subTest(scene=name):
                with open(os.path.join(RESOURCES, name), encoding="utf-8") as f:
                    text = f.read()
                lenses = set(re.findall(r"<xfov sid=\"xfov\">([^<]+)</xfov>.*?<znear[^>]*>"
                                        r"([^<]+)</znear>\s*<zfar[^>]*>([^<]+)</zfar>", text,
                                        re.S))
                self.assertEqual(len(lenses), 1, lenses)
                fov = float(next(iter(lenses))[0])
                self.assertTrue(20.0 <= fov <= 70.0, fov)

    def test_lights_sit_on_nodes(self):
        for name in self.dumps:
            with self.subTest(scene=name):
                with open(os.path.join(RESOURCES, name), encoding="utf-8") as f:
                    text = f.read()
                lights = re.findall(r'<light id="[^"]+" name="([^"]+)">', text)
                self.assertLessEqual(len(lights), MAX_LIGHTS)
                nodes = {n.get("name") for n, _ in self.dumps[name].nodes()}
                for light in re.findall(r'<node id="([^"]+)"[^>]*>\s*<matrix[^>]*>[^<]*'
                                        r'</matrix>\s*<instance_light', text):
                    self.assertIn(light, nodes)


class Pictures(unittest.TestCase):
    def test_sizes_and_channels(self):
        for name, (width, height, channels) in PICTURES.items():
            with self.subTest(picture=name):
                w, h, c, rows = png_info(os.path.join(TEXTURES, name))
                self.assertEqual((w, h), (width, height))
                self.assertIn(c, channels)
                if c == 4:
                    alphas = [row[3::4] for row in (rows[0], rows[h // 2], rows[-1])]
                    self.assertEqual(max(alphas[0]), 0, "the top row is not transparent")
                    self.assertEqual(max(alphas[2]), 0, "the bottom row is not transparent")
                    self.assertEqual(max(alphas[1]), 255, "nothing opaque across the middle")


FONTS = ["/usr/share/fonts/opentype/league-spartan/LeagueSpartan-Bold.otf",
         "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf",
         "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Bold.otf",
         "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"]


@unittest.skipUnless(shutil.which("blender") and shutil.which("assimp")
                     and all(os.path.exists(f) for f in FONTS),
                     "regenerating needs blender and the fonts of content/setup.sh")
class Regeneration(unittest.TestCase):
    def test_regenerating_gives_the_same_bytes(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run(["/usr/bin/python3", os.path.join(SOURCE, "content", "make_scenes.py"),
                            "--out", tmp], check=True, stdout=subprocess.DEVNULL, timeout=1500)
            scenes, _ = registry()
            for name in list(scenes.values()) + [f"textures/{p}" for p in PICTURES]:
                with self.subTest(file=name):
                    with open(os.path.join(tmp, name), "rb") as a, \
                            open(os.path.join(RESOURCES, name), "rb") as b:
                        self.assertTrue(a.read() == b.read(), f"{name} differs")


if __name__ == "__main__":
    unittest.main(verbosity=2)
