// The fixed tables of resource names.
#include "registry/Resources.h"

namespace ostrel {
namespace {

std::map<std::string, Resources::Path> postShaderTable() {
  return {
      {"test", L"resources\\shaders\\test.hlsl"},
      {"postprocessing", L"resources\\shaders\\PostProcessing.hlsl"},
      {"post_blur_p0", L"resources\\shaders\\post\\bloom\\p0_blur_x.hlsl"},
      {"post_blur_p1", L"resources\\shaders\\post\\bloom\\p1_blur_y.hlsl"},
      {"post_blur_p2", L"resources\\shaders\\post\\bloom\\p2_combine.hlsl"},
      {"post_color_p0", L"resources\\shaders\\post\\color\\p0_color.hlsl"},
      {"post_dof_p0", L"resources\\shaders\\post\\dof\\p0_comp_blur_amount.hlsl"},
      {"post_dof_p1", L"resources\\shaders\\post\\dof\\p1_blur10.hlsl"},
      {"post_dof_p2", L"resources\\shaders\\post\\dof\\p2_blur11.hlsl"},
      {"post_dof_p3", L"resources\\shaders\\post\\dof\\p3_blur20.hlsl"},
      {"post_dof_p4", L"resources\\shaders\\post\\dof\\p4_blur21.hlsl"},
      {"post_dof_p5", L"resources\\shaders\\post\\dof\\p5_blur30.hlsl"},
      {"post_dof_p6", L"resources\\shaders\\post\\dof\\p6_blur31.hlsl"},
      {"post_dof_p7", L"resources\\shaders\\post\\dof\\p7_combine.hlsl"},
      {"post_lens_p0", L"resources\\shaders\\post\\lens\\p0_lens.hlsl"},
      {"post_overlay_p0", L"resources\\shaders\\post\\p0_overlay.hlsl"},
      {"post_fxaa_p0", L"resources\\shaders\\post\\p0_fxaa.hlsl"},
  };
}

std::map<std::string, Resources::Path> shaderTable() {
  return {
      {"test", L"resources\\shaders\\test.hlsl"},
      {"quad", L"resources\\shaders\\Quad.hlsl"},
  };
}

std::map<std::string, Resources::Path> sceneTable() {
  return {
      {"sceneAnimationTest", L"resources\\shtest.dae"},
      {"sceneKvLogo", L"resources\\kv.dae"},
      {"compos", L"resources\\compos_baked.dae"},
      {"inviteto", L"resources\\inviteto.dae"},
      {"halvek", L"resources\\halvek.dae"},
      {"drunmoth", L"resources\\drunmoth.dae"},
      {"pellicor", L"resources\\pellicor.dae"},
      {"creds", L"resources\\creds.dae"},
      {"greets", L"resources\\greets.dae"},
      {"simtest2", L"resources\\SIMTEST2.dae"},
  };
}

std::map<std::string, Resources::Path> fileTable() {
  return {
      {"resources", L"resources\\"},
      {"textures", L"resources\\textures\\"},
      {"audioTrack", L"resources\\brannoch-edit-2bar.ogg"},
      {"midiTrack", L"resources\\Brannoch.mid"},
  };
}

// "BEGIN" and "END" are the markers the timeline adds at its two ends.
std::map<std::string, MarkerScene> markerSceneTable() {
  return {
      {"BEGIN", {1.0, 0.0, "sceneKvLogo", "Camera_003"}},
      {"Quorvel", {0.0, 1.0, "sceneKvLogo", "Camera_003"}},
      {"Tessane", {0.0, 1.0, "sceneKvLogo", "Camera_002"}},
      {"Buildup", {0.2, 0.5, "simtest2", "Camera_001"}},
      {"Breakbeat", {0.0, 1.0, "sceneKvLogo", "Camera_001"}},
      {"Wobble", {0.1, 0.5, "simtest2", "Camera"}},
      {"Wubwub break", {0.1, 0.35, "simtest2", "Camera_002"}},
      {"Section 1", {0.0, 0.5, "compos", "Camera"}},
      {"Section 2", {0.5, 1.0, "compos", "Camera"}},
      {"Break", {0.0, 1.0, "halvek", "Camera"}},
      {"Second buildup A", {0.0, 1.0, "creds", "Camera"}},
      {"Second buildup B", {0.0, 0.5, "greets", "Camera"}},
      {"Second buildup C", {0.5, 1.0, "greets", "Camera"}},
      {"Second buildup D", {0.0, 1.0, "sceneKvLogo", "Camera"}},
      {"Section 3", {0.0, 1.0, "drunmoth", "Camera"}},
      {"Section 4", {0.0, 0.8, "halvek", "Camera_001"}},
      {"Finish", {0.28, 1.0, "pellicor", "Camera"}},
      {"Stop", {1.0, 0.4, "pellicor", "Camera"}},
      {"END", {0.4, 0.0, "pellicor", "Camera"}},
  };
}

// Note names are the letter, "-" or "#", and the octave.
Resources::TrackParameterMapping trackParameterTable() {
  return {
      {"DOF",
       {
           {"D-0", "startFocus1"},     {"D#0", "startFocus2"},     {"E-0", "startFocus3"},
           {"F#0", "endFocus1"},       {"G-0", "endFocus2"},       {"G#0", "endFocus3"},
           {"A#0", "startAperture1"},  {"B-0", "startAperture2"},  {"C-1", "startAperture3"},
           {"D-1", "endAperture1"},    {"D#1", "endAperture2"},    {"E-1", "endAperture3"},
           {"F#1", "startLimit1"},     {"G-1", "startLimit2"},     {"G#1", "startLimit3"},
           {"A#1", "endLimit1"},       {"B-1", "endLimit2"},       {"C-2", "endLimit3"},
       }},
      {"Exposure",
       {
           {"D-0", "startContrast"}, {"D#0", "startExposure"}, {"E-0", "startGrain"},
           {"F#0", "endContrast"},   {"G-0", "endExposure"},   {"G#0", "endGrain"},
       }},
      {"Color",
       {
           {"D-0", "startRed"}, {"D#0", "startGreen"}, {"E-0", "startBlue"},
           {"F#0", "endRed"},   {"G-0", "endGreen"},   {"G#0", "endBlue"},
       }},
      {"Flash",
       {
           {"D-0", "startFlash"}, {"D#0", "endFlash"},
       }},
      {"Glitch",
       {
           {"D-0", "startGlitch0"}, {"D#0", "startGlitch1"}, {"E-0", "startGlitch2"},
           {"F#0", "endGlitch0"},   {"G-0", "endGlitch1"},   {"G#0", "endGlitch2"},
       }},
  };
}

}  // namespace

Resources::Resources()
    : files(fileTable()),
      postShaders(postShaderTable()),
      shaders(shaderTable()),
      scenes(sceneTable()),
      markerScenes(markerSceneTable()),
      trackParameterMapping(trackParameterTable()) {}

const Resources& masterResources() {
  static const Resources master;
  return master;
}

}  // namespace ostrel
