// The director's start-up (states, targets, passes, pictures, scenes) and its frame.
#include "demo/Demo.h"

#include "audio/AudioManager.h"
#include "audio/MidiEvents.h"
#include "audio/NormalizedPosition.h"
#include "config/ScreenSettings.h"
#include "demo/BlockHandler.h"
#include "demo/LogoSchedule.h"
#include "demo/SceneTime.h"
#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"
#include "render/CreationCheck.h"
#include "render/GraphicsContext.h"
#include "render/ParameterBlock.h"
#include "render/RepeatedCallCheck.h"
#include "render/ShaderBytecodeCache.h"
#include "render/StepTimer.h"

#include <fmt/format.h>

#include <stdexcept>

namespace ostrel {
namespace {

// Where a scene's animation keys lie; a scene without keys stands still at time 0.
struct KeyRange {
  double first = 0;
  double last = 0;
};

KeyRange keyRangeOf(const Scene& scene) {
  if (scene.minKeyTime > scene.maxKeyTime) {
    return {};
  }
  return {scene.minKeyTime, scene.maxKeyTime};
}

}  // namespace

Demo::Demo(GraphicsContext* graphics, AudioManager* audioManager, ScreenSettings* settings)
    : logger(demoLogger()),
      resources(masterResources()),
      settings(settings),
      graphics(graphics),
      audioManager(audioManager),
      midiEvents(audioManager ? audioManager->midiEvents.get() : nullptr) {}

// Start-up ------------------------------------------------------------------------------

void Demo::loadGraphics() {
  createDepthStencilStates();
  createRenderTargets();
  createPostProcessors();
  const StepTimer timer;
  showPreloadScreen();
  logoTexture1.load(graphics->device.Get(), "quorvel_1920.png");
  logoTexture2.load(graphics->device.Get(), "Tessane_1920.png");
  times.images = timer.seconds();
}

void Demo::createDepthStencilStates() {
  logger->info("DirectX: creating stencil buffers");
  depthStencilDesc.DepthEnable = TRUE;
  depthStencilDesc.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
  depthStencilDesc.DepthFunc = D3D11_COMPARISON_LESS;
  depthStencilDesc.StencilEnable = FALSE;
  depthStencilDesc.StencilReadMask = 0xFF;
  depthStencilDesc.StencilWriteMask = 0xFF;
  depthStencilDesc.FrontFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_INCR,
                                D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS};
  depthStencilDesc.BackFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_DECR,
                               D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS};
  ID3D11Device* device = graphics->device.Get();
  logCreation(device->CreateDepthStencilState(&depthStencilDesc, &depthTestState),
              "CreateDepthStencilState (depth test)");
  depthStencilDesc.DepthFunc = D3D11_COMPARISON_ALWAYS;
  logCreation(device->CreateDepthStencilState(&depthStencilDesc, &depthAlwaysState),
              "CreateDepthStencilState (depth always)");
}

void Demo::createRenderTargets() {
  ID3D11Device* device = graphics->device.Get();
  for (RenderTarget* target : {&sceneTarget, &targetA, &targetB}) {
    target->create(device, settings->width, settings->height, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
  }
  depthTarget.create(device, settings->width, settings->height);
}

void Demo::createPostProcessors() {
  ID3D11Device* device = graphics->device.Get();
  const auto width = std::int32_t(settings->width);
  const auto height = std::int32_t(settings->height);
  dof.create(device, width, height);
  dof.resize(width, height);
  lensDistort.create(device, width, height);
  lensDistort.resize(width, height);
  colorCorrect.create(device, width, height);
  colorCorrect.resize(width, height);
  overlay.create(device, width, height);
  overlay.resize(width, height);
  bloom.create(device, width, height);
  bloom.resize(width, height);
  fxaa.create(device, width, height);
  fxaa.resize(width, height);
  effectParameters.reset();
}

// The loading picture stays on screen while the logos and the scenes load.
void Demo::showPreloadScreen() {
  preloadTexture.load(graphics->device.Get(), "preload.png");
  overlay.opacity = 1.0f;
  ID3D11DeviceContext* context = graphics->context.Get();
  const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  context->ClearRenderTargetView(sceneTarget.renderTargetView.Get(), black);
  overlay.apply(context, sceneTarget.shaderResourceView.Get(), preloadTexture.view.Get(),
                graphics->renderTargetView.Get());
  static RepeatedCallCheck presentCheck("Present (loading picture)");
  presentCheck.succeeded(graphics->swapChain->Present(0, 0));
  // The window is not serviced while the scenes load. Some window systems (Wine's) bring
  // what was presented to the screen only when the window's thread looks at its messages:
  // one look, taking nothing, keeps the picture up meanwhile.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

void Demo::loadScenes() {
  if (!midiEvents) {
    throw std::runtime_error("AudioManager instance not provided to Demo!");
  }
  const StepTimer timer;
  const double compiling = shaderBytecodeCache().compileTime().count();
  // A file without markers of its own names no section, so it needs no scene.
  const DWORD count = midiEvents->hasFileMarkers() ? midiEvents->getMarkerCount() : 0;
  const Marker* markers = midiEvents->getMarkers();
  for (DWORD index = 0; index < count; ++index) {
    loadSceneForMarker(markers[index]);
  }
  times.sceneImports =
      timer.seconds() - (shaderBytecodeCache().compileTime().count() - compiling);
}

void Demo::loadSceneForMarker(const Marker& marker) {
  const std::string markerName = marker.text;
  const std::string key = getSceneKey(markerName);
  if (key.empty()) {
    logger->warn("No scene was assigned to marker '{}' in Resources, skipping loading",
                 markerName);
    return;
  }
  if (loadedScenes.contains(key)) {
    logger->info("Scene '{}' for marker '{}' already loaded, skipping", key, markerName);
    return;
  }
  const std::wstring path = getScenePath(key);
  logger->info("Loading scene '{}' for marker '{}'", key, markerName);
  auto scene = std::make_unique<Scene>(graphics->device.Get(), key);
  try {
    scene->load(path);
  } catch (const std::exception&) {
    // Found now rather than when the section comes up, mid-music.
    std::throw_with_nested(std::runtime_error(fmt::format(
        "The section '{}' at {:.3f} s shows the scene '{}' from {}, which cannot be loaded:",
        markerName, BASS_ChannelBytes2Seconds(audioManager->audioStream, marker.pos), key,
        toUtf8(path))));
  }
  loadedScenes.emplace(key, std::move(scene));
}

// Marker table --------------------------------------------------------------------------

MarkerScene& Demo::getMarkerScene(const std::string& markerName) {
  return resources.markerScenes[markerName];
}

std::string Demo::getSceneKey(const std::string& markerName) {
  return getMarkerScene(markerName).sceneKey;
}

bool Demo::hasSceneForMarker(const std::string& markerName) const {
  const auto found = resources.markerScenes.find(markerName);
  return found != resources.markerScenes.end() && !found->second.sceneKey.empty();
}

std::wstring Demo::getScenePath(const std::string& sceneKey) {
  const Resources::Path path = resources.scenes[sceneKey];
  return path ? path : L"";
}

Scene* Demo::getSceneForMarker(const std::string& markerName) {
  if (!hasSceneForMarker(markerName)) {
    logger->critical("No scene was loaded for marker {}, please add mapping in Resources",
                     markerName);
    return nullptr;
  }
  const auto found = loadedScenes.find(getSceneKey(markerName));
  return found == loadedScenes.end() ? nullptr : found->second.get();
}

std::string Demo::missingSceneReport() const {
  const auto entry = resources.markerScenes.find(shown.marker);
  const std::string key = entry == resources.markerScenes.end() ? "" : entry->second.sceneKey;
  const auto path = resources.scenes.find(key);
  const std::string file =
      path == resources.scenes.end() || !path->second ? "no file" : toUtf8(path->second);
  return fmt::format("The section '{}' shows the scene '{}' ({}), which was not loaded.",
                     shown.marker, key, file);
}

// The frame ----------------------------------------------------------------------------

void Demo::setActiveBlocks(const std::vector<Block*>& blocks, QWORD position) {
  activeBlocks = blocks;
  audioPosition = position;
}

bool Demo::renderScene() {
  ID3D11DeviceContext* context = graphics->context.Get();
  context->RSSetState(nullptr);
  context->OMSetDepthStencilState(depthTestState.Get(), 0);
  context->ClearRenderTargetView(graphics->renderTargetView.Get(), clearColor.data());
  context->ClearRenderTargetView(sceneTarget.renderTargetView.Get(), clearColor.data());
  context->ClearDepthStencilView(depthTarget.depthStencilView.Get(), D3D11_CLEAR_DEPTH, 1.0f, 0);
  ID3D11RenderTargetView* const targets[] = {sceneTarget.renderTargetView.Get()};
  context->OMSetRenderTargets(1, targets, depthTarget.depthStencilView.Get());
  setViewport();
  return drawCurrentScene();
}

// The output size, whatever a pass or a resize of the window left bound.
void Demo::setViewport() {
  D3D11_VIEWPORT viewport{};
  viewport.Width = float(settings->width);
  viewport.Height = float(settings->height);
  viewport.MaxDepth = 1.0f;
  graphics->context->RSSetViewports(1, &viewport);
}

bool Demo::drawCurrentScene() {
  shown = ShownFrame{};
  shown.audioPosition = audioPosition;
  const Marker* marker =
      midiEvents->hasFileMarkers() ? midiEvents->getMarkerAt(audioPosition) : nullptr;
  if (!marker) {
    return true;  // no section: the cleared target goes through the chain
  }
  shown.marker = marker->text;
  if (!hasSceneForMarker(shown.marker)) {
    return true;
  }
  const MarkerScene& entry = getMarkerScene(shown.marker);
  Scene* scene = getSceneForMarker(shown.marker);
  if (!scene) {
    return false;
  }
  const KeyRange keys = keyRangeOf(*scene);
  const double progress = normalizedPositionBetween(
      marker, midiEvents->getNextMarker(audioPosition), audioPosition);
  shown.sceneKey = entry.sceneKey;
  shown.sceneTime = sceneAnimationTime(entry, shown.marker, keys.first, keys.last, progress);
  scene->draw(graphics->context.Get(), entry.camera, shown.sceneTime);
  return true;
}

void Demo::postProcess() {
  updateEffectParameters();
  copyParametersToPasses();
  ID3D11DeviceContext* context = graphics->context.Get();
  dof.apply(context, sceneTarget.shaderResourceView.Get(), depthTarget.shaderResourceView.Get(),
            targetA.renderTargetView.Get());
  lensDistort.apply(context, targetA.shaderResourceView.Get(), targetB.renderTargetView.Get());
  bloom.apply(context, targetB.shaderResourceView.Get(), targetA.renderTargetView.Get());
  overlayLogo(context);
  colorCorrect.apply(context, targetB.shaderResourceView.Get(), graphics->renderTargetView.Get());
  context->OMSetDepthStencilState(depthAlwaysState.Get(), 0);
}

void Demo::updateEffectParameters() {
  ostrel::updateEffectParameters(activeBlocks, audioPosition, effectParameters);
  currentBlock = activeBlocks.empty() ? nullptr : activeBlocks.back();
}

void Demo::copyParametersToPasses() {
  const auto& dofValues = effectParameters.dofParameters;
  dof.aperture = dofValues[EffectParameters::kAperture];
  dof.focus = dofValues[EffectParameters::kFocus];
  dof.limit = dofValues[EffectParameters::kLimit];
  lensDistort.lensParameters = parameterBlock<LensConstants>(effectParameters.lensParameters);
  colorCorrect.colorParameters = parameterBlock<ColorConstants>(effectParameters.colorParameters);
  overlay.opacity = effectParameters.overlayAlpha;
  bloom.bloomParameters = parameterBlock<BloomConstants>(effectParameters.bloomParameters);
}

void Demo::overlayLogo(ID3D11DeviceContext* context) {
  audioSeconds = BASS_ChannelBytes2Seconds(audioManager->audioStream, audioPosition);
  const LogoOverlay logo = logoOverlayAt(audioSeconds);
  const Texture& texture = logo.texture == LogoOverlay::Texture::logo1   ? logoTexture1
                           : logo.texture == LogoOverlay::Texture::logo2 ? logoTexture2
                                                                         : preloadTexture;
  effectParameters.overlayAlpha = logo.opacity;
  overlay.opacity = logo.opacity;
  shown.overlayAlpha = logo.opacity;
  overlay.apply(context, targetA.shaderResourceView.Get(), texture.view.Get(),
                targetB.renderTargetView.Get());
}

}  // namespace ostrel
