// The application object: settings, window class and window procedure, the frame, and the
// end of the process.
#include "app/Application.h"

#include "app/FatalError.h"
#include "app/ProcessEnd.h"
#include "app/UiBinding.h"
#include "audio/AudioManager.h"
#include "audio/Dispatcher.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "demo/Demo.h"
#include "registry/DemoLogger.h"
#include "render/GraphicsContext.h"
#include "render/GraphicsError.h"

#include <stdexcept>

namespace ostrel {
namespace {

// A system colour brush; the swap chain always covers the client area.
const HBRUSH kBackgroundBrush = reinterpret_cast<HBRUSH>(INT_PTR(5));

GraphicsContext* graphicsOf(HWND window) {
  return reinterpret_cast<GraphicsContext*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The binding's device objects go while the buffers change size, and come back after.
void resizeWindowContent(HWND window, std::uint16_t width, std::uint16_t height) {
  if (endingAfterFatalError()) {
    return;
  }
  GraphicsContext* graphics = graphicsOf(window);
  try {
    releaseUiDeviceObjects();
    if (graphics) {
      graphics->resize(width, height);
    }
    recreateUiDeviceObjects(float(width), float(height));
  } catch (const GraphicsError& error) {
    // No exception may cross the system's message dispatch: end from here.
    endAfterFatalError(error);
  }
}

}  // namespace

Application::Application(HINSTANCE instance, Configuration* configuration,
                         ScreenSettings* settings)
    : configuration(configuration),
      settings(settings),
      instance(instance),
      logger(demoLogger()) {
  resources = masterResources();
  loadSettings();
}

void Application::loadSettings() {
  configuration->readReleaseScreen(*settings);
  settings->instance = instance;
  settings->colorDepth = 32;
}

void Application::storeSettings() {
  configuration->writeReleaseScreen(*settings);
}

bool Application::registerWindowClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProc;
  // The settings hold no instance when they came from the setup dialog: this module then.
  windowClass.hInstance = settings->instance ? static_cast<HINSTANCE>(settings->instance)
                                             : GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = kBackgroundBrush;
  windowClass.lpszClassName = kWindowClassName;
  if (!RegisterClassExW(&windowClass)) {
    logger->critical("RegisterClassExW failed (error {})", GetLastError());
    MessageBoxW(nullptr, L"Window Registration Failed!", L"Error!", MB_ICONWARNING | MB_OK);
    return false;
  }
  return true;
}

void Application::createWindowAndDevice(GraphicsContext* graphics, HWND& window) {
  this->graphics = graphics;
  const Configuration::Position position = configuration->uiState["mainWindowPosition"];
  window = graphics->createWindow(settings->width, settings->height, position.first,
                                  position.second);
  graphics->createDevice();
  graphics->createSwapChain(window, settings->width, settings->height, settings->windowed != 0);
  if (settings->alwaysOnTop == 1) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

Resources::TrackParameterMapping Application::getTrackParameterMapping() const {
  return resources.trackParameterMapping;
}

void Application::runFrame() {
  renderFrameScene();
  postProcessFrame();
}

void Application::renderFrameScene() {
  const QWORD position = audio->audio->getPosition();
  demo->setActiveBlocks(dispatcher->getActiveBlocks(DWORD(position), blocks), position);
  if (!demo->renderScene()) {
    // Ends the run with a report, as the start-up would, not silently mid-music.
    throw std::runtime_error(demo->missingSceneReport());
  }
}

void Application::postProcessFrame() {
  demo->postProcess();
}

void Application::storeAudio(AudioManager* audioManager) {
  audio = audioManager;
  midiEvents = audioManager->midiEvents.get();
}

void Application::storeDispatcher(Dispatcher* timelineDispatcher) {
  dispatcher = timelineDispatcher;
}

void Application::storeDemo(Demo* director) {
  demo = director;
}

void Application::loadBlocks() {
  blocks = dispatcher->getBlocks();
}

void Application::quit() {
  endProcess(0);
}

LRESULT CALLBACK Application::windowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  forwardMessageToUi(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(creation->lpCreateParams));
      break;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_SIZE:
      resizeWindowContent(window, LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        PostQuitMessage(0);
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace ostrel
