// The last line of defence: an error that escapes start-up or the frame loop (broken
// timeline or resource data) is reported to the viewer instead of ending the process
// without a word.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace ostrel {

// Logs error at critical and shows it in a message box naming what failed, in front of
// every window. Returns kFatalErrorExitCode.
int reportFatalError(const std::exception& error);

// Runs body and returns its result. An exception that escapes it is logged at critical,
// shown in a message box naming what failed, and turned into exit code kFatalErrorExitCode.
int runReportingFatalErrors(const std::function<int()>& body);

// Tools that render the production unattended report on standard error and in the log only:
// a message box would wait for a viewer who is not there.
void reportFatalErrorsWithoutMessageBox();

inline constexpr int kFatalErrorExitCode = 1;
inline constexpr const wchar_t* kFatalErrorCaption = L"OstrelMinimal - error";

}  // namespace ostrel
