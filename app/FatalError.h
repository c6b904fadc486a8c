// The last line of defence: an error that escapes start-up or the frame loop (broken
// timeline or resource data) is reported to the viewer instead of ending the process
// without a word.
#pragma once

#include <functional>
#include <string>

namespace ostrel {

// The text shown for an error of the given type (a readable type name) and message.
std::wstring describeFatalError(const std::string& typeName, const std::string& message);

// Runs body and returns its result. An exception that escapes it is logged at critical,
// shown in a message box naming what failed, and turned into exit code kFatalErrorExitCode.
int runReportingFatalErrors(const std::function<int()>& body);

inline constexpr int kFatalErrorExitCode = 1;
inline constexpr const wchar_t* kFatalErrorCaption = L"OstrelMinimal - error";

}  // namespace ostrel
