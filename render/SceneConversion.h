// Copies of what assimp read from a scene file, in the scene's own types: vertices turned
// from the file's axes into the scene's (x, y, z) -> (x, z, -y), triangles, materials with
// their defaults, lights, animation channels and node transforms for row vectors.
#pragma once

#include "render/AnimationChannel.h"
#include "render/Matrix.h"
#include "render/SceneLight.h"
#include "render/SceneMaterial.h"
#include "render/SceneVertex.h"

#include <assimp/Importer.hpp>
#include <assimp/anim.h>
#include <assimp/light.h>
#include <assimp/material.h>
#include <assimp/mesh.h>

#include <cstdint>
#include <vector>

namespace ostrel::sceneconversion {

// The post-processing assimp applies while reading a scene file.
unsigned importFlags();

// Sets how importer reads Collada: without its own up-axis turn (see uprightRoot), and
// without the stand-in bone pyramids it makes for a file that has no mesh.
void configure(Assimp::Importer& importer);

// A point or direction of the file in the scene's axes: (x, y, z) -> (x, z, -y).
Float3 sceneAxes(const aiVector3D& v);

// Every vertex of mesh, with tangent and bitangent only when the mesh has both and the
// first texture-coordinate set when it has one (zero otherwise). A mesh without normals gets
// smooth ones from its triangles, so that it is lit rather than drawn black.
std::vector<SceneVertex> vertices(const aiMesh& mesh);

struct Triangles {
  std::vector<std::uint32_t> indices;  // three per triangle
  std::uint32_t pointsAndLines = 0;    // faces of fewer than three indices, left out
  std::uint32_t outOfRange = 0;        // faces naming a vertex the mesh does not have, left out
};

// The first three indices of every face that has at least three, all naming vertices of
// the mesh.
Triangles triangles(const aiMesh& mesh);

// Area-weighted normals of the triangles at each vertex, for meshes that have none.
void computeNormals(std::vector<SceneVertex>& vertices, const std::vector<std::uint32_t>& indices);

// The material's values over the defaults: a query the file does not answer keeps its
// default. Textures are named, not loaded.
SceneMaterial material(const aiMaterial& material, std::uint32_t index);

// Whether the light's kind is one the scene program draws as it is (point, directional);
// spot lights are drawn as point lights, undefined ones as directional.
bool isSupportedLight(const aiLight& light);
SceneLight light(const aiLight& light);

// One node channel: values as the file has them (no axis change), quaternions normalised
// into (x, y, z, w), key times narrowed to 32 bits.
AnimationChannel channel(const aiNodeAnim& source, std::int32_t index, double duration);

// The file's column-vector matrix as a row-vector one (its transpose).
Matrix rowVectorMatrix(const aiMatrix4x4& m);

// The root node's transform for a file read without assimp's own up-axis turn, without the
// file's unit scale: the parent of everything, so that the meshes, cameras and lights of any
// file share the file's own space and units, whatever up axis and unit it declares
// (Blender's files are Z-up in metres and read as assimp reads them).
aiMatrix4x4 rootPlacement(const aiMatrix4x4& root);

}  // namespace ostrel::sceneconversion
