// Closing the process's windows and terminating it.
#include "app/ProcessEnd.h"

#include "app/UiBinding.h"
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

void endProcess(UINT exitCode) {
  const DWORD processId = GetCurrentProcessId();
  shutdownUiBinding();
  demoLogger()->flush();
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

}  // namespace ostrel
