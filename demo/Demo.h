// The director: owns the scenes, targets, post passes and logos, imports one scene per
// distinct scene key the timeline's markers name, and draws each frame: the scene of the
// marker in force through its camera at the animation time of the section, then depth of
// field, lens, bloom, the logo overlay and the grade into the back buffer.
//
// Everything a frame shows is a function of one audio position, handed in with the frame's
// active blocks, so that a frame at a given position is the same whichever clock moved the
// music there (the sound card, or a hand-driven one that renders chosen moments).
#pragma once

#include "audio/Block.h"
#include "audio/Marker.h"
#include "demo/EffectParameters.h"
#include "registry/MarkerScene.h"
#include "registry/Resources.h"
#include "render/DepthTarget.h"
#include "render/PostBloom.h"
#include "render/PostColorCorrect.h"
#include "render/PostDepthOfField.h"
#include "render/PostFastApproximateAntiAlias.h"
#include "render/PostLensDistort.h"
#include "render/PostTextureOverlay.h"
#include "render/RenderTarget.h"
#include "render/Scene.h"
#include "render/Texture.h"

#include <spdlog/spdlog.h>

#include <d3d11.h>
#include <wrl/client.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

class AudioManager;
class MidiEvents;
struct GraphicsContext;
struct ScreenSettings;

class Demo {
public:
  // Keeps the three (not owned; they outlive the Demo) and the audio manager's marker
  // source. Creates no GPU object.
  Demo(GraphicsContext* graphics, AudioManager* audioManager, ScreenSettings* settings);
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  // Depth-stencil states, the four frame targets and the six passes at the output size,
  // the parameter defaults, the loading picture presented at once, and the two logos.
  // Throws std::runtime_error for an image that cannot be read.
  void loadGraphics();
  // Imports, in timeline order, one scene per distinct scene key the markers name. Throws
  // std::runtime_error without a marker source, and for a scene that cannot be imported,
  // naming the marker, the scene key and the file.
  void loadScenes();

  // The blocks active at audioPosition (bytes of the audio stream), the moment this frame
  // shows: renderScene and postProcess draw that moment and read the clock no further.
  void setActiveBlocks(const std::vector<Block*>& blocks, QWORD audioPosition);
  // Clears the targets and draws the scene of the marker in force. False when that marker
  // names a scene that was never loaded (missingSceneReport says which).
  bool renderScene();
  // Effect parameters from the active blocks, then the post chain into the back buffer.
  void postProcess();

  // The marker table's entry for a marker name; an empty one is added for a name without.
  MarkerScene& getMarkerScene(const std::string& markerName);
  std::string getSceneKey(const std::string& markerName);
  // True when the table names a scene for the marker (looked up without adding an entry).
  bool hasSceneForMarker(const std::string& markerName) const;
  // The file of a scene key; empty for a key without one.
  std::wstring getScenePath(const std::string& sceneKey);
  // The loaded scene of the marker's scene key, or null (logged at critical when the table
  // names no scene for it).
  Scene* getSceneForMarker(const std::string& markerName);

  // Why renderScene returned false: the marker, its scene key and the scene's file.
  std::string missingSceneReport() const;

  // What the last frame showed, for the tools that check frames against the timeline.
  struct ShownFrame {
    QWORD audioPosition = 0;
    std::string marker;    // empty without markers
    std::string sceneKey;  // empty when no scene was drawn
    double sceneTime = 0;  // the animation time drawn, in the scene's key units
    float overlayAlpha = 0;
  };
  const ShownFrame& shownFrame() const { return shown; }

  // Seconds the start-up spent decoding and uploading the images, and importing scenes
  // (assimp, copies and program objects; the shader compiles are the cache's to tell).
  struct LoadTimes {
    double images = 0;
    double sceneImports = 0;
  };
  const LoadTimes& loadTimes() const { return times; }

  std::shared_ptr<spdlog::logger> logger;
  Resources resources;
  ScreenSettings* settings = nullptr;
  GraphicsContext* graphics = nullptr;
  AudioManager* audioManager = nullptr;
  MidiEvents* midiEvents = nullptr;
  std::vector<Block*> activeBlocks;  // not owned
  Block* currentBlock = nullptr;     // the block whose handler runs
  std::map<std::string, std::unique_ptr<Scene>> loadedScenes;
  RenderTarget sceneTarget;
  RenderTarget targetA;
  RenderTarget targetB;
  DepthTarget depthTarget;
  // The 36 values of the passes, in the groups' order: depth of field, lens, colour,
  // overlay opacity, bloom.
  EffectParameters effectParameters;
  PostDepthOfField dof;
  PostLensDistort lensDistort;
  PostColorCorrect colorCorrect;
  PostTextureOverlay overlay;
  PostBloom bloom;
  PostFastApproximateAntiAlias fxaa;  // set up and sized, never run in a frame
  Texture preloadTexture;
  Texture logoTexture1;
  Texture logoTexture2;
  D3D11_DEPTH_STENCIL_DESC depthStencilDesc{};
  Microsoft::WRL::ComPtr<ID3D11DepthStencilState> depthTestState;
  Microsoft::WRL::ComPtr<ID3D11DepthStencilState> depthAlwaysState;
  double audioSeconds = 0;  // the frame's moment in seconds, for the logos
  // Handed to the clear as it stands: on the 8-bit sRGB targets it clamps to opaque white.
  std::array<float, 4> clearColor = {114.0f, 144.0f, 154.0f, 255.0f};

private:
  void createDepthStencilStates();
  void createRenderTargets();
  void createPostProcessors();
  void showPreloadScreen();
  void loadSceneForMarker(const Marker& marker);
  bool drawCurrentScene();
  void setViewport();

  void updateEffectParameters();
  void copyParametersToPasses();
  void overlayLogo(ID3D11DeviceContext* context);

  QWORD audioPosition = 0;  // the frame's moment, bytes of the audio stream
  ShownFrame shown;
  LoadTimes times;
};

}  // namespace ostrel
