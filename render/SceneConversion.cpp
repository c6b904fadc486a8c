// From assimp's in-memory scene to the scene's own types.
#include "render/SceneConversion.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>

#include <cmath>

namespace ostrel::sceneconversion {
namespace {

Float4 color(const aiColor4D& c) { return {c.r, c.g, c.b, c.a}; }

bool readFloat(const aiMaterial& source, const char* key, float& target) {
  ai_real value = 0;
  unsigned int count = 1;
  if (aiGetMaterialFloatArray(&source, key, 0, 0, &value, &count) != aiReturn_SUCCESS ||
      count == 0) {
    return false;
  }
  target = static_cast<float>(value);
  return true;
}

// The kinds of texture of SceneMaterial's slots, in slot order.
constexpr aiTextureType kSlotTypes[SceneMaterial::kSlotCount] = {
    aiTextureType_LIGHTMAP, aiTextureType_DIFFUSE,    aiTextureType_NORMALS,
    aiTextureType_SPECULAR, aiTextureType_REFLECTION, aiTextureType_OPACITY};
static_assert(aiTextureType_LIGHTMAP == 10 && aiTextureType_DIFFUSE == 1 &&
              aiTextureType_NORMALS == 6 && aiTextureType_SPECULAR == 2 &&
              aiTextureType_REFLECTION == 11 && aiTextureType_OPACITY == 8);

TextureSlot textureSlot(const aiMaterial& source, aiTextureType type) {
  aiString path;
  TextureSlot slot;
  if (aiGetMaterialString(&source, "$tex.file", type, 0, &path) == aiReturn_SUCCESS) {
    slot.present = true;
    slot.path = path.C_Str();
  }
  return slot;
}

Float3 subtract(const Float3& a, const Float3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Float3 cross(const Float3& a, const Float3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

unsigned importFlags() {
  constexpr unsigned flags =
      aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices | aiProcess_MakeLeftHanded |
      aiProcess_Triangulate | aiProcess_LimitBoneWeights | aiProcess_ImproveCacheLocality |
      aiProcess_RemoveRedundantMaterials | aiProcess_SortByPType | aiProcess_FindDegenerates |
      aiProcess_FindInvalidData | aiProcess_GenUVCoords | aiProcess_TransformUVCoords |
      aiProcess_FindInstances | aiProcess_OptimizeMeshes | aiProcess_FlipUVs |
      aiProcess_FlipWindingOrder | aiProcess_SplitByBoneCount;
  static_assert(flags == 0x03BF9A0F);
  return flags;
}

void configure(Assimp::Importer& importer) {
  importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_IGNORE_UP_DIRECTION, true);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
}

Float3 sceneAxes(const aiVector3D& v) { return {v.x, v.z, -v.y}; }

std::vector<SceneVertex> vertices(const aiMesh& mesh) {
  const bool tangents = mesh.mTangents != nullptr && mesh.mBitangents != nullptr;
  const aiVector3D* texcoords = mesh.mTextureCoords[0];
  std::vector<SceneVertex> result(mesh.mNumVertices);
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
    SceneVertex& vertex = result[i];
    vertex.position = sceneAxes(mesh.mVertices[i]);
    if (mesh.mNormals) {
      vertex.normal = sceneAxes(mesh.mNormals[i]);
    }
    if (tangents) {
      vertex.tangent = sceneAxes(mesh.mTangents[i]);
      vertex.bitangent = sceneAxes(mesh.mBitangents[i]);
    }
    if (texcoords) {
      vertex.texcoord = {texcoords[i].x, texcoords[i].y};
    }
  }
  return result;
}

Triangles triangles(const aiMesh& mesh) {
  Triangles result;
  result.indices.reserve(std::size_t(mesh.mNumFaces) * 3);
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices < 3 || face.mIndices == nullptr) {
      ++result.pointsAndLines;
      continue;
    }
    const unsigned* index = face.mIndices;
    if (index[0] >= mesh.mNumVertices || index[1] >= mesh.mNumVertices ||
        index[2] >= mesh.mNumVertices) {
      ++result.outOfRange;
      continue;
    }
    result.indices.insert(result.indices.end(), {index[0], index[1], index[2]});
  }
  return result;
}

void computeNormals(std::vector<SceneVertex>& vertices, const std::vector<std::uint32_t>& indices) {
  for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
    SceneVertex& a = vertices[indices[i]];
    SceneVertex& b = vertices[indices[i + 1]];
    SceneVertex& c = vertices[indices[i + 2]];
    // Twice the triangle's area, facing the side from which its corners run clockwise.
    const Float3 face = cross(subtract(b.position, a.position), subtract(c.position, a.position));
    for (SceneVertex* corner : {&a, &b, &c}) {
      corner->normal = {corner->normal.x + face.x, corner->normal.y + face.y,
                        corner->normal.z + face.z};
    }
  }
  for (SceneVertex& vertex : vertices) {
    Float3& n = vertex.normal;
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0f) {
      n = {n.x / length, n.y / length, n.z / length};
    }
  }
}

SceneMaterial material(const aiMaterial& source, std::uint32_t index) {
  SceneMaterial result;
  result.index = index;
  aiString name;
  if (aiGetMaterialString(&source, "?mat.name", 0, 0, &name) == aiReturn_SUCCESS) {
    result.name = name.C_Str();
  }
  aiColor4D value;
  if (aiGetMaterialColor(&source, "$clr.diffuse", 0, 0, &value) == aiReturn_SUCCESS) {
    result.diffuse = color(value);
  }
  if (aiGetMaterialColor(&source, "$clr.ambient", 0, 0, &value) == aiReturn_SUCCESS) {
    result.ambient = color(value);
  }
  if (aiGetMaterialColor(&source, "$clr.specular", 0, 0, &value) == aiReturn_SUCCESS) {
    result.specular = color(value);
  }
  if (aiGetMaterialColor(&source, "$clr.emissive", 0, 0, &value) == aiReturn_SUCCESS) {
    result.emissive = value.g;
  }
  readFloat(source, "$mat.shininess", result.shininess);
  float strength = 1.0f;
  if (readFloat(source, "$mat.shinpercent", strength)) {
    Float4& s = result.specular;
    s = {s.x * strength, s.y * strength, s.z * strength, s.w * strength};
  }
  for (int slot = 0; slot < SceneMaterial::kSlotCount; ++slot) {
    result.textures[slot] = textureSlot(source, kSlotTypes[slot]);
  }
  return result;
}

bool isSupportedLight(const aiLight& light) {
  return light.mType != aiLightSource_UNDEFINED && light.mType != aiLightSource_SPOT;
}

SceneLight light(const aiLight& source) {
  SceneLight result;
  result.name = source.mName.C_Str();
  result.color = {source.mColorDiffuse.r, source.mColorDiffuse.g, source.mColorDiffuse.b, 0};
  result.attenuation = {source.mAttenuationConstant, source.mAttenuationLinear,
                        source.mAttenuationQuadratic};
  result.isPoint =
      source.mType != aiLightSource_UNDEFINED && source.mType != aiLightSource_DIRECTIONAL;
  // assimp gives the way the light shines in the node's axes as the file has them; the
  // left-handed conversion turns the nodes but not the lights, so mirror z here, then point
  // back towards the light.
  const aiVector3D& shines = source.mDirection;
  const float length = std::sqrt(shines.x * shines.x + shines.y * shines.y + shines.z * shines.z);
  if (std::isfinite(length) && length > 0.0f) {
    result.towardsLight = {-shines.x / length, -shines.y / length, shines.z / length};
  }
  return result;
}

AnimationChannel channel(const aiNodeAnim& source, std::int32_t index, double duration) {
  AnimationChannel result;
  result.index = index;
  result.nodeName = source.mNodeName.C_Str();
  result.duration = static_cast<float>(duration);
  result.positionKeys.resize(source.mNumPositionKeys);
  for (unsigned i = 0; i < source.mNumPositionKeys; ++i) {
    const aiVectorKey& key = source.mPositionKeys[i];
    result.positionKeys[i].time = static_cast<float>(key.mTime);
    result.positionKeys[i].value = {key.mValue.x, key.mValue.y, key.mValue.z};
  }
  result.rotationKeys.resize(source.mNumRotationKeys);
  for (unsigned i = 0; i < source.mNumRotationKeys; ++i) {
    const aiQuatKey& key = source.mRotationKeys[i];
    result.rotationKeys[i].time = static_cast<float>(key.mTime);
    result.rotationKeys[i].value =
        Quaternion::normalizedFromWxyz(key.mValue.w, key.mValue.x, key.mValue.y, key.mValue.z);
  }
  result.scalingKeys.resize(source.mNumScalingKeys);
  for (unsigned i = 0; i < source.mNumScalingKeys; ++i) {
    const aiVectorKey& key = source.mScalingKeys[i];
    result.scalingKeys[i].time = static_cast<float>(key.mTime);
    result.scalingKeys[i].value = {key.mValue.x, key.mValue.y, key.mValue.z};
  }
  return result;
}

Matrix rowVectorMatrix(const aiMatrix4x4& m) {
  return {{{m.a1, m.b1, m.c1, m.d1},
           {m.a2, m.b2, m.c2, m.d2},
           {m.a3, m.b3, m.c3, m.d3},
           {m.a4, m.b4, m.c4, m.d4}}};
}

aiMatrix4x4 rootPlacement(const aiMatrix4x4& root) {
  aiVector3D scale;
  aiQuaternion rotation;
  aiVector3D position;
  root.Decompose(scale, rotation, position);
  return aiMatrix4x4(aiVector3D(1, 1, 1), rotation, position);
}

}  // namespace ostrel::sceneconversion
