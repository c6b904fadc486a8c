// The resource registry: complete on construction, value semantics, insert-on-access.
#include "registry/Resources.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace ostrel {
namespace {

TEST(Resources, IsCompleteOnConstruction) {
  const Resources resources;
  EXPECT_EQ(resources.files.size(), 4u);
  EXPECT_EQ(resources.postShaders.size(), 17u);
  EXPECT_EQ(resources.shaders.size(), 2u);
  EXPECT_EQ(resources.scenes.size(), 10u);
  EXPECT_EQ(resources.markerScenes.size(), 19u);
  EXPECT_EQ(resources.trackParameterMapping.size(), 5u);
  EXPECT_STREQ(resources.files.at("audioTrack"), L"resources\\brannoch-edit-2bar.ogg");
  EXPECT_STREQ(resources.files.at("midiTrack"), L"resources\\Brannoch.mid");
  EXPECT_STREQ(resources.files.at("textures"), L"resources\\textures\\");
}

TEST(Resources, MissingMarkerReadsEmptyAndIsAddedToThatCopyOnly) {
  const Resources master;
  Resources copy = master;

  const MarkerScene& missing = copy.markerScenes["Interlude"];
  EXPECT_EQ(missing.start, 0.0);
  EXPECT_EQ(missing.end, 0.0);
  EXPECT_TRUE(missing.sceneKey.empty());
  EXPECT_TRUE(missing.camera.empty());

  EXPECT_EQ(copy.markerScenes.size(), 20u);
  EXPECT_EQ(master.markerScenes.size(), 19u);
  EXPECT_EQ(master.markerScenes.count("Interlude"), 0u);
}

TEST(Resources, MissingPathAndTrackReadAsNullAndEmpty) {
  Resources resources;
  EXPECT_EQ(resources.scenes["noSuchScene"], nullptr);
  EXPECT_TRUE(resources.trackParameterMapping["Bass"].empty());
  EXPECT_EQ(resources.scenes.count("noSuchScene"), 1u);
  EXPECT_EQ(resources.trackParameterMapping.count("Bass"), 1u);
}

TEST(Resources, CopiesAreIndependent) {
  Resources original;
  Resources copy = original;
  copy.markerScenes["Stop"].camera = "Camera_009";
  copy.trackParameterMapping["Flash"]["E-0"] = "midFlash";
  copy.files.erase("midiTrack");

  EXPECT_EQ(original.markerScenes.at("Stop").camera, "Camera");
  EXPECT_EQ(original.trackParameterMapping.at("Flash").size(), 2u);
  EXPECT_EQ(original.files.count("midiTrack"), 1u);

  Resources assigned;
  assigned = copy;
  EXPECT_EQ(assigned.markerScenes.at("Stop").camera, "Camera_009");
  EXPECT_EQ(assigned.files.count("midiTrack"), 0u);
}

TEST(Resources, MasterCopyMatchesAFreshRegistry) {
  const Resources& master = masterResources();
  const Resources fresh;
  EXPECT_EQ(master.markerScenes.size(), fresh.markerScenes.size());
  for (const auto& [marker, scene] : fresh.markerScenes) {
    EXPECT_EQ(master.markerScenes.at(marker).sceneKey, scene.sceneKey) << marker;
  }
  EXPECT_EQ(&master, &masterResources());
}

// Keys are compared exactly; only the file names on disk carry other cases.
TEST(Resources, KeysAreCaseSensitiveWhileFileNamesKeepTheirOwnCase) {
  Resources resources;
  EXPECT_STREQ(resources.shaders.at("quad"), L"resources\\shaders\\Quad.hlsl");
  EXPECT_STREQ(resources.scenes.at("simtest2"), L"resources\\SIMTEST2.dae");
  EXPECT_EQ(resources.shaders.count("Quad"), 0u);
  EXPECT_EQ(resources.scenes.count("SIMTEST2"), 0u);
  EXPECT_EQ(resources.markerScenes.count("section 1"), 0u);
}

TEST(Resources, TestShaderIsTheSameFileInBothShaderTables) {
  const Resources resources;
  EXPECT_STREQ(resources.postShaders.at("test"), resources.shaders.at("test"));
}

// A marker whose scene key has no file would leave its section without a picture.
TEST(Resources, EveryMarkerNamesAKnownSceneAndACamera) {
  const Resources resources;
  for (const auto& [marker, scene] : resources.markerScenes) {
    EXPECT_EQ(resources.scenes.count(scene.sceneKey), 1u) << marker << " -> " << scene.sceneKey;
    EXPECT_FALSE(scene.camera.empty()) << marker;
    EXPECT_GE(scene.start, 0.0) << marker;
    EXPECT_LE(scene.start, 1.0) << marker;
    EXPECT_GE(scene.end, 0.0) << marker;
    EXPECT_LE(scene.end, 1.0) << marker;
  }
}

// Note names are a letter, "-" or "#", and one octave digit; a slip here silently drops
// a parameter from every block of its track.
TEST(Resources, ParameterNotesAreWellFormedAndParametersUniquePerTrack) {
  const Resources resources;
  const std::string letters = "CDEFGAB";
  for (const auto& [track, notes] : resources.trackParameterMapping) {
    std::set<std::string> parameters;
    for (const auto& [note, parameter] : notes) {
      ASSERT_EQ(note.size(), 3u) << track << " " << note;
      EXPECT_NE(letters.find(note[0]), std::string::npos) << track << " " << note;
      EXPECT_TRUE(note[1] == '-' || note[1] == '#') << track << " " << note;
      EXPECT_TRUE(note[2] >= '0' && note[2] <= '9') << track << " " << note;
      EXPECT_TRUE(parameters.insert(parameter).second) << track << " repeats " << parameter;
    }
  }
}

}  // namespace
}  // namespace ostrel
