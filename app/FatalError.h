// The one end of a run that meets an error nothing recovers from (broken timeline or
// resource data, a window or device that cannot be made): instead of ending without a word,
// the main window leaves fullscreen, the error is logged at critical, written to standard
// error and shown in a message box, and the process ends as every run ends (endProcess).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

namespace ostrel {

struct GraphicsContext;

// Runs body and returns its result. An exception that escapes it ends the run as above,
// with exit code kFatalErrorExitCode, or for a failed depth buffer its result code. Returns
// that exit code only if the process cannot be ended.
int runReportingFatalErrors(const std::function<int()>& body);

// The same end for an error caught where no exception may pass (the window procedure).
// Returns the exit code only if the process cannot be ended.
UINT endAfterFatalError(const std::exception& error);

// The exit code a run ends with for error: the result of a GraphicsError that carries it as
// the exit code, else kFatalErrorExitCode.
UINT fatalErrorExitCode(const std::exception& error);

// True from the moment an error is being reported: the message box's own message loop may
// still resize the window, and half-rebuilt buffers must not be touched again.
bool endingAfterFatalError();

// The graphics whose swap chain leaves fullscreen before the report, so that the viewer can
// read it; given as soon as it exists.
void leaveFullscreenOnFatalError(GraphicsContext* graphics);

// Tools that render the production unattended report on standard error and in the log only:
// a message box would wait for a viewer who is not there.
void reportFatalErrorsWithoutMessageBox();

inline constexpr int kFatalErrorExitCode = 1;
inline constexpr const wchar_t* kFatalErrorCaption = L"OstrelMinimal - error";

}  // namespace ostrel
