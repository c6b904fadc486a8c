"""Writes a built scene with Blender's Collada exporter, then makes the file reproducible and
gives its materials what the exporter leaves out.

Blender's exporter stamps the export time into the file, writes the animations in an order
that changes between runs, and writes every material as a Lambert effect (diffuse and
emission only), so a reader falls back to its own specular and shininess. Afterwards the
asset dates are pinned, the animations sorted by id, and each effect becomes a Phong effect
with the material's own ambient, specular and shininess; diffuse, emission and the rest stay
as the exporter wrote them.
"""

import re

import bpy

PINNED_DATE = "2026-01-01T00:00:00"
AMBIENT = 0.2  # ambient colour = this share of the diffuse colour


def export(scene, path):
    """Exports scene (a kit.Scene) to path."""
    bscene = scene.bscene
    bscene.frame_set(bscene.frame_start)
    for mat in scene.materials.values():
        # The program reads the emissive strength from the green component alone; a grey
        # emission colour carries it there whatever the diffuse colour is.
        bsdf = mat.node_tree.nodes["Principled BSDF"]
        e = mat["ostrel_emit"]
        bsdf.inputs["Emission"].default_value = (e, e, e, 1.0)
        bsdf.inputs["Emission Strength"].default_value = 1.0
    bpy.ops.wm.collada_export(
        filepath=path, check_existing=False, apply_modifiers=True, selected=False,
        include_children=True, include_armatures=False, include_shapekeys=False,
        include_animations=True, include_all_actions=False,
        export_animation_type_selection="sample", sampling_rate=1, keep_keyframes=False,
        triangulate=True, use_object_instantiation=True, use_blender_profile=False,
        sort_by_name=True, export_object_transformation_type_selection="matrix",
        export_animation_transformation_type_selection="matrix", limit_precision=True,
        active_uv_only=True, use_texture_copies=False, open_sim=False, keep_bind_info=False)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    text = pin_dates(text)
    text = sort_animations(text)
    text = phong_effects(text, scene.materials)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def pin_dates(text):
    text = re.sub(r"<created>[^<]*</created>", f"<created>{PINNED_DATE}</created>", text)
    return re.sub(r"<modified>[^<]*</modified>", f"<modified>{PINNED_DATE}</modified>", text)


def sort_animations(text):
    """The exporter writes the objects' animations in an order that changes from run to run
    (it walks a set of pointers); each node has one, so sorting them by id changes nothing
    for a reader and makes the file reproducible."""
    match = re.search(r"(<library_animations>\n)(.*?)(  </library_animations>)", text, re.S)
    if match is None:
        return text
    blocks = re.findall(r'    <animation id="[^"]+".*?\n    </animation>\n', match.group(2), re.S)
    if "".join(blocks) != match.group(2):
        raise ValueError("unexpected layout of library_animations")
    body = "".join(sorted(blocks, key=lambda b: re.match(r'    <animation id="([^"]+)"', b)
                          .group(1)))
    return text[:match.start(2)] + body + text[match.end(2):]


def number(x):
    return f"{x:.6g}"


def color(values):
    return " ".join(number(v) for v in values)


def phong_effects(text, materials):
    by_effect = {f"{collada_id(name)}-effect": mat for name, mat in materials.items()}

    def rewrite(match):
        effect_id, body = match.group(1), match.group(2)
        mat = by_effect.get(effect_id)
        if mat is None:
            raise ValueError(f"effect {effect_id} has no material")
        lambert = re.search(r"( *)<lambert>\n(.*?)\n *</lambert>", body, re.S)
        if lambert is None:
            raise ValueError(f"effect {effect_id} is not a Lambert effect")
        indent = lambert.group(1)
        inner = indent + "  "
        parts = {m.group(1): m.group(0)
                 for m in re.finditer(r" *<(\w+)>\n.*?</\1>", lambert.group(2), re.S)}
        diffuse = [float(v) for v in re.search(r'<color sid="diffuse">([^<]*)</color>',
                                               parts["diffuse"]).group(1).split()]
        ambient = [AMBIENT * c for c in diffuse[:3]] + [1.0]
        spec = mat["ostrel_spec"]
        lines = [f"{indent}<phong>"]
        if "emission" in parts:
            lines.append(parts["emission"])
        lines.append(f'{inner}<ambient>\n{inner}  <color sid="ambient">{color(ambient)}</color>'
                     f"\n{inner}</ambient>")
        lines.append(parts["diffuse"])
        lines.append(f'{inner}<specular>\n{inner}  <color sid="specular">'
                     f"{color((spec, spec, spec, 1.0))}</color>\n{inner}</specular>")
        lines.append(f'{inner}<shininess>\n{inner}  <float sid="shininess">'
                     f'{number(mat["ostrel_shine"])}</float>\n{inner}</shininess>')
        for key in ("reflective", "reflectivity", "transparent", "transparency",
                    "index_of_refraction"):
            if key in parts:
                lines.append(parts[key])
        lines.append(f"{indent}</phong>")
        start, end = lambert.span()
        return (f'<effect id="{effect_id}">' + body[:start] + "\n".join(lines) + body[end:]
                + "</effect>")

    return re.sub(r'<effect id="([^"]+)">(.*?)</effect>', rewrite, text, flags=re.S)


def collada_id(name):
    """The id Blender's exporter gives a name: characters outside [A-Za-z0-9_] become _."""
    return re.sub(r"[^A-Za-z0-9_]", "_", name)
