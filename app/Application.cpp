// The application object and the end of the process.
#include "app/Application.h"

#include "registry/DemoLogger.h"

namespace ostrel {
namespace {

BOOL CALLBACK closeWindowOfProcess(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == DWORD(processId)) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

Application::Application(HINSTANCE instance, Configuration* configuration,
                         ScreenSettings* settings)
    : configuration(configuration),
      settings(settings),
      instance(instance),
      logger(demoLogger()) {
  resources = masterResources();
}

Resources::TrackParameterMapping Application::getTrackParameterMapping() const {
  return resources.trackParameterMapping;
}

void Application::quit() {
  const DWORD processId = GetCurrentProcessId();

  logger->flush();
  spdlog::drop_all();

  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
  if (!process) {
    // Every caller expects the process to end here, so end it the plain way.
    ExitProcess(0);
  }
  EnumWindows(closeWindowOfProcess, LPARAM(processId));
  // The process waits on itself, so this only gives the windows 100 ms to close.
  if (WaitForSingleObject(process, 100) != WAIT_OBJECT_0) {
    TerminateProcess(process, 0);
  }
  CloseHandle(process);
}

}  // namespace ostrel
