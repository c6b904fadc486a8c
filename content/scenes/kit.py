"""Building blocks of the production's scenes, run inside Blender: materials, meshes, lights,
cameras and baked animation, all in the coordinates the program shows (Blender's own: Z up,
the camera looking down its -Z axis).

Static geometry is gathered per material into one mesh in world coordinates ("baked"), so a
scene has a few meshes for the program to compile programs for and draw, not hundreds.
Moving parts are objects whose transforms are keyed on every frame with linear interpolation:
the exporter samples them frame by frame and the program interpolates between the samples.
"""

import math

import bmesh
import bpy
from mathutils import Matrix, Quaternion, Vector

FONTS = "/usr/share/fonts"
FONT_FILES = {
    "spartan": f"{FONTS}/opentype/league-spartan/LeagueSpartan-Bold.otf",
    "spartan-black": f"{FONTS}/opentype/league-spartan/LeagueSpartan-Black.otf",
    "comfortaa": f"{FONTS}/truetype/comfortaa/Comfortaa-Bold.ttf",
    "bebas": f"{FONTS}/opentype/bebas-neue/BebasNeue-Bold.otf",
    "dejavu": f"{FONTS}/truetype/dejavu/DejaVuSans-Bold.ttf",
    "dejavu-book": f"{FONTS}/truetype/dejavu/DejaVuSans.ttf",
}

MAX_LIGHTS = 8


class Scene:
    """One scene under construction: its frame range, camera lens, static batches and the
    moving objects. Key times in the file are frame / fps seconds."""

    def __init__(self, name, frames, fps, vfov, near=0.1, far=400.0):
        bpy.ops.wm.read_factory_settings(use_empty=True)
        self.name = name
        self.frames = frames
        self.fps = fps
        self.vfov = vfov  # degrees, the full vertical angle the program shows at 16:9
        self.near, self.far = near, far
        self.bscene = bpy.context.scene
        self.bscene.name = "Scene"
        self.bscene.render.fps = fps
        self.bscene.frame_start = 0
        self.bscene.frame_end = frames
        self.bscene.render.resolution_x = 1920
        self.bscene.render.resolution_y = 1080
        self.batches = {}  # material name -> bmesh in world coordinates
        self.materials = {}
        self.cameras = []
        self.lights = []
        self.background = None  # colour the preview shows where nothing is drawn

    # ----- materials -----
    def material(self, name, color, emit=0.0, spec=0.25, shine=24.0):
        """A colour-only material: diffuse colour, emissive strength 0..1 (the program glows
        the surface in its own colour by that much), specular level and shininess."""
        if name in self.materials:
            return self.materials[name]
        mat = bpy.data.materials.new(name)
        mat["ostrel_color"] = list(color)
        mat["ostrel_emit"] = float(emit)
        mat["ostrel_spec"] = float(spec)
        mat["ostrel_shine"] = float(shine)
        mat.diffuse_color = (*color, 1.0)
        mat.use_nodes = True
        bsdf = mat.node_tree.nodes["Principled BSDF"]
        bsdf.inputs["Base Color"].default_value = (*color, 1.0)
        bsdf.inputs["Specular"].default_value = spec
        bsdf.inputs["Roughness"].default_value = max(0.05, min(1.0, 2.0 / math.sqrt(shine + 2)))
        bsdf.inputs["Emission"].default_value = (*color, 1.0)
        bsdf.inputs["Emission Strength"].default_value = emit
        self.materials[name] = mat
        return mat

    # ----- static geometry -----
    def add_static(self, bm_part, mat, matrix=None):
        """Adds a bmesh (consumed) to the static batch of a material, moved by matrix."""
        if matrix is not None:
            bm_part.transform(matrix)
        target = self.batches.get(mat.name)
        if target is None:
            target = bmesh.new()
            self.batches[mat.name] = target
        append_bmesh(target, bm_part)
        bm_part.free()

    def bake_static(self):
        """Turns each material's batch into one object in world coordinates."""
        for name in sorted(self.batches):
            bm = self.batches[name]
            me = bpy.data.meshes.new(f"{name}_static")
            finish(bm, me)
            me.materials.append(self.materials[name])
            ob = bpy.data.objects.new(f"{name}_static", me)
            self.bscene.collection.objects.link(ob)
        self.batches = {}

    # ----- moving parts -----
    def mesh_object(self, name, bm_part, mat, data=None):
        """A top-level object drawing a shared or new mesh; bm_part is consumed when given.
        Objects are never parented: the program composes a node under its parent the other
        way round from Blender, which agrees only for nodes directly under the root."""
        if data is None:
            data = bpy.data.meshes.new(f"{name}_mesh")
            finish(bm_part, data)
            data.materials.append(mat)
        ob = bpy.data.objects.new(name, data)
        self.bscene.collection.objects.link(ob)
        return ob

    def compound_object(self, name, parts):
        """A top-level object of several materials: parts = [(bmesh, material)], consumed.
        The program draws one mesh per material, all moved by the one node."""
        combined = bmesh.new()
        mats = []
        for bm_part, mat in parts:
            index = len(mats)
            mats.append(mat)
            before = set(combined.faces)
            append_bmesh(combined, bm_part)
            bm_part.free()
            for f in combined.faces:
                if f not in before:
                    f.material_index = index
        data = bpy.data.meshes.new(f"{name}_mesh")
        finish(combined, data)
        for mat in mats:
            data.materials.append(mat)
        return self.mesh_object(name, None, None, data=data)

    def animate(self, ob, local_at):
        """Keys ob's local transform on every frame; local_at(t) gives a Matrix for the
        scene time t in 0..1 (rotation and translation only: the program applies a node's
        scale after its translation, so moving parts never scale)."""
        mats = [local_at(f / self.frames) for f in range(self.frames + 1)]
        key_transforms(ob, mats)

    # ----- lights -----
    def point_light(self, name, position, color, intensity=1.0, reach=30.0):
        """A point light as the program lights with it: colour x intensity, attenuation
        1 / (1 + d^2 / reach^2)."""
        if len(self.lights) >= MAX_LIGHTS:
            raise ValueError(f"{self.name}: more than {MAX_LIGHTS} lights")
        data = bpy.data.lights.new(name, "POINT")
        data.color = color
        data.energy = intensity
        data.distance = reach
        data.shadow_soft_size = 0.0
        ob = bpy.data.objects.new(name, data)
        ob.location = position
        self.bscene.collection.objects.link(ob)
        self.lights.append(ob)
        return ob

    # ----- cameras -----
    def camera(self, name, path, target, roll=None):
        """A camera keyed on every frame: path(t) its position and target(t) the point it
        looks at, t in 0..1 over the scene's whole key range; roll(t) in degrees."""
        data = bpy.data.cameras.new(name)
        data.sensor_fit = "VERTICAL"
        data.sensor_width = 36.0
        data.sensor_height = 36.0
        # The exporter writes the angle of lens and sensor width as the horizontal field of
        # view; the program uses that value as the vertical one, and so does the preview.
        data.lens = 18.0 / math.tan(math.radians(self.vfov) / 2)
        data.clip_start = self.near
        data.clip_end = self.far
        ob = bpy.data.objects.new(name, data)
        self.bscene.collection.objects.link(ob)
        mats = []
        for f in range(self.frames + 1):
            t = f / self.frames
            r = roll(t) if roll else 0.0
            mats.append(look_at(Vector(path(t)), Vector(target(t)), r))
        key_transforms(ob, mats)
        self.cameras.append(ob)
        return ob


def look_at(eye, target, roll_degrees=0.0):
    """Camera matrix at eye looking at target, Z up, rolled about the view axis."""
    forward = (target - eye).normalized()
    up = Vector((0.0, 0.0, 1.0))
    if abs(forward.dot(up)) > 0.999:
        up = Vector((0.0, 1.0, 0.0))
    right = forward.cross(up).normalized()
    true_up = right.cross(forward)
    rot = Matrix((right, true_up, -forward)).transposed()
    if roll_degrees:
        rot = rot @ Matrix.Rotation(math.radians(roll_degrees), 3, "Z")
    m = rot.to_4x4()
    m.translation = eye
    return m


def key_transforms(ob, mats):
    """Location and quaternion keys on every frame, linear, quaternions kept on one
    hemisphere so that neighbouring keys interpolate the short way."""
    ob.rotation_mode = "QUATERNION"
    action = bpy.data.actions.new(f"{ob.name}Action")
    ob.animation_data_create().action = action
    locs, quats = [], []
    previous = None
    for m in mats:
        loc, rot, _ = m.decompose()
        q = Quaternion(rot)
        if previous is not None and previous.dot(q) < 0:
            q.negate()
        previous = q
        locs.append(loc)
        quats.append(q)
    for path, count, values in (("location", 3, locs), ("rotation_quaternion", 4, quats)):
        for i in range(count):
            fc = action.fcurves.new(path, index=i, action_group="Object Transforms")
            fc.keyframe_points.add(len(values))
            co = []
            for f, v in enumerate(values):
                co += [float(f), v[i]]
            fc.keyframe_points.foreach_set("co", co)
            fc.keyframe_points.foreach_set("interpolation", [1] * len(values))  # LINEAR
            fc.update()
    ob.matrix_basis = mats[0]


# ----- bmesh helpers -----
def append_bmesh(target, part):
    """Appends part's vertices and faces to target."""
    remap = {}
    for v in part.verts:
        nv = target.verts.new(v.co)
        remap[v] = nv
    target.verts.ensure_lookup_table()
    for f in part.faces:
        nf = target.faces.new([remap[v] for v in f.verts])
        nf.smooth = f.smooth
        nf.material_index = f.material_index


def finish(bm, me):
    """Merges coincident vertices, drops degenerate faces, triangulates, writes to me."""
    bmesh.ops.remove_doubles(bm, verts=bm.verts, dist=1e-5)
    bmesh.ops.dissolve_degenerate(bm, edges=bm.edges, dist=1e-6)
    bmesh.ops.triangulate(bm, faces=bm.faces, quad_method="BEAUTY", ngon_method="BEAUTY")
    degenerate = [f for f in bm.faces if f.calc_area() < 1e-7]
    if degenerate:
        bmesh.ops.delete(bm, geom=degenerate, context="FACES")
    loose = [v for v in bm.verts if not v.link_faces]
    if loose:
        bmesh.ops.delete(bm, geom=loose, context="VERTS")
    bm.normal_update()
    bm.to_mesh(me)
    bm.free()


def box(size=(1, 1, 1), center=(0, 0, 0)):
    bm = bmesh.new()
    bmesh.ops.create_cube(bm, size=1.0)
    bm.transform(Matrix.Translation(center) @ Matrix.Diagonal((*size, 1.0)))
    return bm


def cylinder(radius, depth, segments=24, center=(0, 0, 0), smooth=True, radius2=None):
    bm = bmesh.new()
    bmesh.ops.create_cone(bm, cap_ends=True, cap_tris=False, segments=segments,
                          radius1=radius, radius2=radius if radius2 is None else radius2,
                          depth=depth, matrix=Matrix.Translation(center))
    if smooth:
        for f in bm.faces:
            f.smooth = len(f.verts) == 4
    return bm


def sphere(radius, subdivisions=2, center=(0, 0, 0), smooth=True):
    bm = bmesh.new()
    bmesh.ops.create_icosphere(bm, subdivisions=subdivisions, radius=radius,
                               matrix=Matrix.Translation(center))
    for f in bm.faces:
        f.smooth = smooth
    return bm


def torus(major, minor, major_segments=48, minor_segments=12, smooth=True, arc=2 * math.pi):
    """A torus (or an arc of one) around the Z axis."""
    bm = bmesh.new()
    closed = arc >= 2 * math.pi - 1e-9
    rings = major_segments if closed else major_segments + 1
    grid = []
    for i in range(rings):
        a = arc * i / major_segments
        ring = []
        for j in range(minor_segments):
            b = 2 * math.pi * j / minor_segments
            r = major + minor * math.cos(b)
            ring.append(bm.verts.new((r * math.cos(a), r * math.sin(a), minor * math.sin(b))))
        grid.append(ring)
    for i in range(major_segments if closed else rings - 1):
        a, b = grid[i], grid[(i + 1) % rings]
        for j in range(minor_segments):
            k = (j + 1) % minor_segments
            f = bm.faces.new((a[j], b[j], b[k], a[k]))
            f.smooth = smooth
    if not closed:
        for ring, flip in ((grid[0], True), (grid[-1], False)):
            f = bm.faces.new(list(reversed(ring)) if flip else ring)
            f.smooth = False
    bm.normal_update()
    return bm


def prism(points, z0, z1):
    """A flat-shaded prism over a simple polygon given in the XY plane (either winding)."""
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]))
    if area < 0:
        points = list(reversed(points))
    bm = bmesh.new()
    bottom = [bm.verts.new((x, y, z0)) for x, y in points]
    top = [bm.verts.new((x, y, z1)) for x, y in points]
    bm.faces.new(list(reversed(bottom)))
    bm.faces.new(top)
    n = len(points)
    for i in range(n):
        j = (i + 1) % n
        bm.faces.new((bottom[i], bottom[j], top[j], top[i]))
    return bm


def text(body, font="spartan", size=1.0, extrude=0.1, align="CENTER", spacing=1.0,
         resolution=4):
    """3D text as a bmesh: the glyphs of a Debian font, filled and extruded, lying in the XY
    plane (read from +Z), centred on the origin horizontally."""
    fonts = bpy.data.fonts
    path = FONT_FILES[font]
    vfont = next((f for f in fonts if f.filepath == path), None) or fonts.load(path)
    curve = bpy.data.curves.new("text", "FONT")
    curve.body = body
    curve.font = vfont
    curve.size = size
    curve.extrude = extrude
    curve.align_x = align
    curve.align_y = "CENTER"
    curve.space_character = spacing
    curve.resolution_u = resolution
    curve.fill_mode = "BOTH"
    ob = bpy.data.objects.new("text", curve)
    bpy.context.scene.collection.objects.link(ob)
    depsgraph = bpy.context.evaluated_depsgraph_get()
    me = bpy.data.meshes.new_from_object(ob.evaluated_get(depsgraph))
    bm = bmesh.new()
    bm.from_mesh(me)
    bpy.data.objects.remove(ob)
    bpy.data.curves.remove(curve)
    bpy.data.meshes.remove(me)
    for f in bm.faces:
        f.smooth = False
    return bm


def upright(bm, facing_y=-1):
    """Stands XY-plane geometry (such as text) up so that it reads from -Y (or +Y)."""
    angle = math.pi / 2 if facing_y < 0 else -math.pi / 2
    rot = Matrix.Rotation(angle, 4, "X")
    if facing_y > 0:
        rot = Matrix.Rotation(math.pi, 4, "Z") @ Matrix.Rotation(math.pi / 2, 4, "X")
    bm.transform(rot)
    return bm


def flip_normals(bm):
    """Turns a closed shape inside out, so that it is seen from inside (a backdrop)."""
    bmesh.ops.reverse_faces(bm, faces=bm.faces)
    return bm


# ----- motion helpers -----
def smoothstep(x):
    x = max(0.0, min(1.0, x))
    return x * x * (3 - 2 * x)


def ease(x):
    """Smooth in and out (smootherstep)."""
    x = max(0.0, min(1.0, x))
    return x * x * x * (x * (6 * x - 15) + 10)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def spline(points, t):
    """Catmull-Rom through points, t in 0..1 over the whole list, clamped ends."""
    n = len(points) - 1
    x = max(0.0, min(1.0, t)) * n
    i = min(int(x), n - 1)
    u = x - i
    p0 = Vector(points[max(i - 1, 0)])
    p1 = Vector(points[i])
    p2 = Vector(points[i + 1])
    p3 = Vector(points[min(i + 2, n)])
    u2, u3 = u * u, u * u * u
    return tuple(0.5 * ((2 * p1) + (-p0 + p2) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u2
                        + (-p0 + 3 * p1 - 3 * p2 + p3) * u3))


def window(t, a, b):
    """Where t lies in the window a..b, 0..1 (may run backwards when a > b)."""
    return (t - a) / (b - a)


class Lcg:
    """A small seeded generator, the same numbers on every machine."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2 ** 64
        return (self.state >> 11) / 2 ** 53
