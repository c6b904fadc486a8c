"""Writes the small Collada scenes of the scene tests into scenes/ (they are committed; run
this only to change them):

- lit-cube.dae: Z up, as Blender writes it. A camera "Camera" with an animation channel at
  (0, -6, 0) looking along +y with z up, a node "Still" placed like it but without a channel,
  a point light, a red cube of half-size 1 at the origin and behind it, drawn after it, a
  blue cube of half-size 2.5 at (0, 4, 0).
- triangle.dae: Y up, no camera, no animation. One triangle without texture coordinates
  whose first corner is (1, 2, -3) with normal (0, 0, -1) (after assimp's left-handed
  conversion (1, 2, 3) and (0, 0, 1)), two lines in the same mesh, a spot light and a
  material with specular 0.8 and emission (0.1, 0.7, 0.3).
- clips.dae: two animation clips of three channels each, A B C and D B E, so that B is
  named by channels 1 and 4; a camera.
- odd-camera.dae: a camera with a vertical angle only (assimp then reports a horizontal one of
  less than a degree) and a near plane at 0, neither of which can be drawn with.
- broken.dae: lit-cube.dae cut off in the middle.
- moved-root.dae: lit-cube.dae's nodes, camera channel included, below one node "Root" that
  turns them 30 degrees about z and about x and moves them by (3, -2, 1.5), as exporters that
  wrap a scene in one top node write it: through its camera it looks like lit-cube.dae.
"""

import math
import os
import sys

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenes")


def numbers(values):
    return " ".join(f"{v:g}" for v in values)


def translation(x, y, z):
    return [1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1]


def camera_looking_along_y(x, y, z):
    # Collada cameras look along their local -z with +y up: a quarter turn about x points
    # them along +y with +z up.
    return [1, 0, 0, x, 0, 0, -1, y, 0, 1, 0, z, 0, 0, 0, 1]


def turned_about_z(angle, x, y, z):
    c, s = math.cos(angle), math.sin(angle)
    return [c, -s, 0, x, s, c, 0, y, 0, 0, 1, z, 0, 0, 0, 1]


def source(id_, values, params, stride=None):
    stride = stride or len(params)
    param_xml = "".join(f'<param name="{p}" type="float"/>' for p in params)
    return (f'<source id="{id_}"><float_array id="{id_}-array" count="{len(values)}">'
            f"{numbers(values)}</float_array><technique_common>"
            f'<accessor source="#{id_}-array" count="{len(values) // stride}" stride="{stride}">'
            f"{param_xml}</accessor></technique_common></source>")


def cube_geometry(name, material):
    positions, normals, indices = [], [], []
    axes = [(0, 1, 2), (1, 2, 0), (2, 0, 1)]
    for n_axis, u_axis, v_axis in axes:
        for sign in (1, -1):
            normal = [0, 0, 0]
            normal[n_axis] = sign
            u = [0, 0, 0]
            u[u_axis] = sign  # u x v = n for either sign
            v = [0, 0, 0]
            v[v_axis] = 1
            normal_index = len(normals) // 3
            normals += normal
            corners = []
            for a, b in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
                corner = [normal[i] + a * u[i] + b * v[i] for i in range(3)]
                corners.append(len(positions) // 3)
                positions += corner
            for tri in ((0, 1, 2), (0, 2, 3)):
                for k in tri:
                    indices += [corners[k], normal_index]
    return (f'<geometry id="{name}-mesh" name="{name}"><mesh>'
            + source(f"{name}-positions", positions, "XYZ")
            + source(f"{name}-normals", normals, "XYZ")
            + f'<vertices id="{name}-vertices"><input semantic="POSITION" source="#{name}-positions"/></vertices>'
            f'<triangles material="{material}" count="12">'
            f'<input semantic="VERTEX" source="#{name}-vertices" offset="0"/>'
            f'<input semantic="NORMAL" source="#{name}-normals" offset="1"/>'
            f"<p>{numbers(indices)}</p></triangles></mesh></geometry>")


def effect(name, diffuse, ambient, specular, shininess, emission=(0, 0, 0, 1)):
    return (f'<effect id="{name}-effect"><profile_COMMON><technique sid="common"><phong>'
            f"<emission><color>{numbers(emission)}</color></emission>"
            f"<ambient><color>{numbers(ambient)}</color></ambient>"
            f"<diffuse><color>{numbers(diffuse)}</color></diffuse>"
            f"<specular><color>{numbers(specular)}</color></specular>"
            f"<shininess><float>{shininess:g}</float></shininess>"
            "</phong></technique></profile_COMMON></effect>")


def material(name):
    return f'<material id="{name}-material" name="{name}"><instance_effect url="#{name}-effect"/></material>'


def camera(name, xfov=40):
    return (f'<camera id="{name}-camera" name="{name}"><optics><technique_common><perspective>'
            f'<xfov sid="xfov">{xfov}</xfov><aspect_ratio>1.777778</aspect_ratio>'
            '<znear sid="znear">0.1</znear><zfar sid="zfar">100</zfar>'
            "</perspective></technique_common></optics></camera>")


def light(name, kind, color=(1, 1, 1), attenuation=(1, 0, 0)):
    return (f'<light id="{name}-light" name="{name}"><technique_common><{kind}>'
            f'<color sid="color">{numbers(color)}</color>'
            f"<constant_attenuation>{attenuation[0]:g}</constant_attenuation>"
            f"<linear_attenuation>{attenuation[1]:g}</linear_attenuation>"
            f"<quadratic_attenuation>{attenuation[2]:g}</quadratic_attenuation>"
            f"</{kind}></technique_common></light>")


def node(name, matrix, instance=""):
    return (f'<node id="{name}" name="{name}" type="NODE"><matrix sid="transform">'
            f"{numbers(matrix)}</matrix>{instance}</node>")


def geometry_instance(mesh, material_name):
    return (f'<instance_geometry url="#{mesh}-mesh" name="{mesh}"><bind_material><technique_common>'
            f'<instance_material symbol="{material_name}-material" target="#{material_name}-material"/>'
            "</technique_common></bind_material></instance_geometry>")


def matrix_animation(id_, target, times, matrices):
    flat = [v for m in matrices for v in m]
    return (f'<animation id="{id_}">'
            + source(f"{id_}-input", times, ["TIME"])
            + f'<source id="{id_}-output"><float_array id="{id_}-output-array" count="{len(flat)}">'
            f"{numbers(flat)}</float_array><technique_common>"
            f'<accessor source="#{id_}-output-array" count="{len(matrices)}" stride="16">'
            '<param name="TRANSFORM" type="float4x4"/></accessor></technique_common></source>'
            + f'<source id="{id_}-interpolation"><Name_array id="{id_}-interpolation-array" '
            f'count="{len(times)}">{" ".join("LINEAR" for _ in times)}</Name_array>'
            f'<technique_common><accessor source="#{id_}-interpolation-array" count="{len(times)}" '
            'stride="1"><param name="INTERPOLATION" type="name"/></accessor></technique_common></source>'
            + f'<sampler id="{id_}-sampler"><input semantic="INPUT" source="#{id_}-input"/>'
            f'<input semantic="OUTPUT" source="#{id_}-output"/>'
            f'<input semantic="INTERPOLATION" source="#{id_}-interpolation"/></sampler>'
            f'<channel source="#{id_}-sampler" target="{target}/transform"/></animation>')


def document(up_axis, libraries, nodes):
    body = "".join(f"<{tag}>{''.join(items)}</{tag}>" for tag, items in libraries if items)
    return ('<?xml version="1.0" encoding="utf-8"?>\n'
            '<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">'
            f'<asset><unit name="meter" meter="1"/><up_axis>{up_axis}</up_axis></asset>'
            f"{body}"
            f'<library_visual_scenes><visual_scene id="Scene" name="Scene">{"".join(nodes)}'
            "</visual_scene></library_visual_scenes>"
            '<scene><instance_visual_scene url="#Scene"/></scene></COLLADA>\n')


def lit_cube(root=None):
    view = camera_looking_along_y(0, -6, 0)
    def wrapped(nodes):
        if root is None:
            return nodes
        return [f'<node id="Root" name="Root" type="NODE"><matrix sid="transform">'
                f'{numbers(root)}</matrix>{"".join(nodes)}</node>']
    return document("Z_UP", [
        ("library_cameras", [camera("Camera"), camera("Still")]),
        ("library_lights", [light("Lamp", "point", (1.2, 1.2, 1.2), (1, 0, 0.002))]),
        ("library_effects", [effect("Red", (0.8, 0.05, 0.05, 1), (0.04, 0.0, 0.0, 1), (0.3, 0.3, 0.3, 1), 20),
                             effect("Blue", (0.05, 0.1, 0.8, 1), (0.0, 0.01, 0.04, 1), (0.3, 0.3, 0.3, 1), 20)]),
        ("library_materials", [material("Red"), material("Blue")]),
        ("library_geometries", [cube_geometry("NearCubeShape", "Red-material"),
                                cube_geometry("FarCubeShape", "Blue-material")]),
        ("library_animations", [matrix_animation("Camera-anim", "Camera", [0, 1], [view, view])]),
    ], wrapped([
        node("Camera", view, '<instance_camera url="#Camera-camera"/>'),
        node("Still", view, '<instance_camera url="#Still-camera"/>'),
        node("Lamp", translation(2, -5, 3), '<instance_light url="#Lamp-light"/>'),
        node("NearCube", translation(0, 0, 0), geometry_instance("NearCubeShape", "Red")),
        node("FarCube", [2.5, 0, 0, 0, 0, 2.5, 0, 4, 0, 0, 2.5, 0, 0, 0, 0, 1],
             geometry_instance("FarCubeShape", "Blue")),
    ]))


def moved_root():
    # Column vectors, as Collada writes them: a turn about x, then about z, then the move.
    c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
    about_z = [[c, -s, 0], [s, c, 0], [0, 0, 1]]
    about_x = [[1, 0, 0], [0, c, -s], [0, s, c]]
    turn = [[sum(about_z[i][k] * about_x[k][j] for k in range(3)) for j in range(3)]
            for i in range(3)]
    move = [3, -2, 1.5]
    root = [v for i in range(3) for v in turn[i] + [move[i]]] + [0, 0, 0, 1]
    return lit_cube([round(v, 6) for v in root])


def triangle():
    positions = [1, 2, -3, 4, 2, -3, 1, 6, -3, 0, 0, 0, 0, 1, 0, 5, 5, 5]
    geometry = ('<geometry id="Triangle-mesh" name="Triangle"><mesh>'
                + source("Triangle-positions", positions, "XYZ")
                + source("Triangle-normals", [0, 0, -1], "XYZ")
                + '<vertices id="Triangle-vertices"><input semantic="POSITION" source="#Triangle-positions"/></vertices>'
                '<triangles material="Shiny-material" count="1">'
                '<input semantic="VERTEX" source="#Triangle-vertices" offset="0"/>'
                '<input semantic="NORMAL" source="#Triangle-normals" offset="1"/>'
                "<p>0 0 1 0 2 0</p></triangles>"
                '<lines material="Shiny-material" count="2">'
                '<input semantic="VERTEX" source="#Triangle-vertices" offset="0"/>'
                "<p>3 4 4 5</p></lines></mesh></geometry>")
    return document("Y_UP", [
        ("library_lights", [light("Spot", "spot")]),
        ("library_effects", [effect("Shiny", (0.5, 0.5, 0.5, 1), (0.1, 0.1, 0.1, 1),
                                    (0.8, 0.8, 0.8, 1), 30, emission=(0.1, 0.7, 0.3, 1))]),
        ("library_materials", [material("Shiny")]),
        ("library_geometries", [geometry]),
    ], [
        node("Spot", translation(0, 5, 0), '<instance_light url="#Spot-light"/>'),
        node("Triangle", translation(0, 0, 0), geometry_instance("Triangle", "Shiny")),
    ])


def clips():
    names = ["A", "B", "C", "D", "E"]
    animations = [
        matrix_animation("A-anim", "A", [0, 1], [translation(0, 0, 0), translation(1, 0, 0)]),
        matrix_animation("B-first", "B", [0, 1], [translation(0, 0, 0), translation(0, 1, 0)]),
        matrix_animation("C-anim", "C", [0, 1], [translation(0, 0, 0), translation(0, 0, 1)]),
        matrix_animation("D-anim", "D", [0.5, 2], [translation(0, 0, 0), translation(2, 0, 0)]),
        matrix_animation("B-second", "B", [0.5, 2], [turned_about_z(0, 0, 0, 0),
                                                     turned_about_z(math.pi / 2, 0, 3, 0)]),
        matrix_animation("E-anim", "E", [0.5, 2], [translation(0, 0, 0), translation(0, 0, 2)]),
    ]
    clip_list = [
        '<animation_clip id="first" name="first" start="0" end="1">'
        '<instance_animation url="#A-anim"/><instance_animation url="#B-first"/>'
        '<instance_animation url="#C-anim"/></animation_clip>',
        '<animation_clip id="second" name="second" start="0.5" end="2">'
        '<instance_animation url="#D-anim"/><instance_animation url="#B-second"/>'
        '<instance_animation url="#E-anim"/></animation_clip>',
    ]
    return document("Y_UP", [
        ("library_cameras", [camera("Camera")]),
        ("library_animations", animations),
        ("library_animation_clips", clip_list),
    ], [node("Camera", translation(0, 0, -10), '<instance_camera url="#Camera-camera"/>')]
       + [node(n, translation(0, 0, 0)) for n in names])


def odd_camera():
    lens = ('<camera id="Odd-camera" name="Odd"><optics><technique_common><perspective>'
            '<yfov sid="yfov">30</yfov><znear sid="znear">0</znear><zfar sid="zfar">50</zfar>'
            "</perspective></technique_common></optics></camera>")
    return document("Z_UP", [("library_cameras", [lens])],
                    [node("Odd", camera_looking_along_y(0, -6, 0), '<instance_camera url="#Odd-camera"/>')])


def main():
    os.makedirs(HERE, exist_ok=True)
    files = {"lit-cube.dae": lit_cube(), "triangle.dae": triangle(), "clips.dae": clips(),
             "odd-camera.dae": odd_camera(), "moved-root.dae": moved_root()}
    for name, text in files.items():
        with open(os.path.join(HERE, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    cube = files["lit-cube.dae"]
    with open(os.path.join(HERE, "broken.dae"), "w", encoding="utf-8", newline="\n") as f:
        f.write(cube[: len(cube) // 2])
    with open(os.path.join(HERE, "not-collada.dae"), "w", encoding="utf-8", newline="\n") as f:
        f.write("A text file with the wrong name, not a Collada scene.\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
