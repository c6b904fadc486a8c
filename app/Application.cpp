// The application object: settings, window class and window procedure, and the end of the
// process.
#include "app/Application.h"

#include "app/FatalError.h"
#include "app/GraphicsContext.h"
#include "app/GraphicsError.h"
#include "app/UiBinding.h"
#include "audio/AudioManager.h"
#include "audio/Dispatcher.h"
#include "audio/MusicalClock.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "demo/IncompleteBlocks.h"
#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"

namespace ostrel {
namespace {

// A system colour brush; the swap chain always covers the client area.
const HBRUSH kBackgroundBrush = reinterpret_cast<HBRUSH>(INT_PTR(5));

BOOL CALLBACK closeWindowOfProcess(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == DWORD(processId)) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

void endProcess(spdlog::logger& logger, UINT exitCode) {
  const DWORD processId = GetCurrentProcessId();
  shutdownUiBinding();
  logger.flush();
  spdlog::drop_all();

  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
  if (!process) {
    // Every caller expects the process to end here, so end it the plain way.
    ExitProcess(exitCode);
  }
  EnumWindows(closeWindowOfProcess, LPARAM(processId));
  // The process waits on itself, so this only gives the windows 100 ms to close.
  if (WaitForSingleObject(process, 100) != WAIT_OBJECT_0) {
    TerminateProcess(process, exitCode);
  }
  CloseHandle(process);
}

// Set once a fatal error is being reported: the message box's own message loop may still
// resize the window, and half-rebuilt buffers must not be touched again.
bool endingAfterFatalError = false;

GraphicsContext* graphicsOf(HWND window) {
  return reinterpret_cast<GraphicsContext*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The binding's device objects go while the buffers change size, and come back after.
void resizeWindowContent(HWND window, std::uint16_t width, std::uint16_t height) {
  if (endingAfterFatalError) {
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
    Application::endAfterFatalError(error, error.exitCode(), graphics);
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
  this->graphics = graphics;  // from the start, so that a failure can leave fullscreen
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
  const DWORD position = DWORD(audio->audio->getPosition());
  [[maybe_unused]] const std::vector<Block*> activeBlocks =
      dispatcher->getActiveBlocks(position, blocks);
  // The Demo draws the frame from here: its active blocks, the scene, the post chain.
}

void Application::storeAudio(AudioManager* audioManager) {
  audio = audioManager;
  midiEvents = audioManager->midiEvents.get();
}

void Application::createDispatcher() {
  dispatcher = new Dispatcher();
  dispatcher->setTrackParameterMapping(getTrackParameterMapping());
  const Resources::Path timeline = resources.files["midiTrack"];
  try {
    loadBlocks();
  } catch (const std::exception&) {
    std::throw_with_nested(std::runtime_error(
        "The timeline " + toUtf8(timeline) +
        " breaks the authoring rules (timeline-check lists where):"));
  }
  // Here rather than mid-show, where the block's first frame would end the run.
  rejectIncompleteBlocks(blocks, toUtf8(timeline), MusicalClock::ofFile(timeline));
}

void Application::loadBlocks() {
  blocks = dispatcher->getBlocks();
}

void Application::quit(UINT exitCode) {
  endProcess(*logger, exitCode);
}

void Application::runEndingOnFatalError(const std::function<void()>& body) {
  try {
    body();
  } catch (const GraphicsError& error) {
    endAfterFatalError(error, error.exitCode(), graphics);
  } catch (const std::exception& error) {
    endAfterFatalError(error, kFatalErrorExitCode, graphics);
  }
}

void Application::endAfterFatalError(const std::exception& error, UINT exitCode,
                                     GraphicsContext* graphics) {
  endingAfterFatalError = true;
  if (graphics && graphics->swapChain) {
    graphics->swapChain->SetFullscreenState(FALSE, nullptr);
  }
  reportFatalError(error);
  endProcess(*demoLogger(), exitCode);
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
