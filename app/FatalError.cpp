// Reporting of errors that nothing else catches, and the end of the run after them.
#include "app/FatalError.h"

#include "app/ProcessEnd.h"
#include "registry/DemoLogger.h"
#include "render/GraphicsContext.h"
#include "render/GraphicsError.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

namespace ostrel {
namespace {

bool showMessageBox = true;
bool ending = false;
GraphicsContext* fullscreenGraphics = nullptr;

std::string readableTypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? name.get() : type.name();
}

std::wstring widen(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

// The text shown for an error of the given type (a readable type name) and message.
std::wstring describeFatalError(const std::string& typeName, const std::string& message) {
  return L"The demo stopped because of an error it cannot recover from.\n\n" + widen(message) +
         L"\n\n(" + widen(typeName) + L")";
}

void report(const std::string& typeName, const std::string& message) {
  auto logger = demoLogger();
  logger->critical("Stopped by an uncaught {}: {}", typeName, message);
  logger->flush();

  const std::wstring text = describeFatalError(typeName, message);
  OutputDebugStringW(text.c_str());
  // Also for whoever started the program from a script or a terminal (under Wine, say).
  std::fprintf(stderr, "%s (%s)\n", message.c_str(), typeName.c_str());
  std::fflush(stderr);
  if (showMessageBox) {
    MessageBoxW(nullptr, text.c_str(), kFatalErrorCaption,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  }
}

// A fullscreen swap chain would hide the message box.
void leaveFullscreen() {
  if (fullscreenGraphics && fullscreenGraphics->swapChain) {
    fullscreenGraphics->swapChain->SetFullscreenState(FALSE, nullptr);
  }
}

UINT endAfterReport(const std::string& typeName, const std::string& message, UINT exitCode) {
  ending = true;
  leaveFullscreen();
  report(typeName, message);
  endProcess(exitCode);
  return exitCode;
}

// An error thrown with context (std::throw_with_nested) reads as the context, then the
// original message on the next line. Returns the type name of the original error.
std::string collectMessages(const std::exception& error, std::string& message) {
  message += error.what();
  try {
    std::rethrow_if_nested(error);
  } catch (const std::exception& inner) {
    message += "\n";
    return collectMessages(inner, message);
  } catch (...) {
  }
  return readableTypeName(typeid(error));
}

}  // namespace

void reportFatalErrorsWithoutMessageBox() { showMessageBox = false; }

void leaveFullscreenOnFatalError(GraphicsContext* graphics) { fullscreenGraphics = graphics; }

bool endingAfterFatalError() { return ending; }

UINT fatalErrorExitCode(const std::exception& error) {
  const auto* graphicsError = dynamic_cast<const GraphicsError*>(&error);
  return graphicsError && graphicsError->resultIsExitCode() ? UINT(graphicsError->result())
                                                            : UINT(kFatalErrorExitCode);
}

UINT endAfterFatalError(const std::exception& error) {
  std::string message;
  const std::string typeName = collectMessages(error, message);
  return endAfterReport(typeName, message, fatalErrorExitCode(error));
}

int runReportingFatalErrors(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    return int(endAfterFatalError(error));
  } catch (...) {
    return int(endAfterReport("exception of unknown type", "No description is available.",
                              kFatalErrorExitCode));
  }
}

}  // namespace ostrel
