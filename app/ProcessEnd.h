// The end of the process, the same for every way a run ends: nothing created at start-up is
// destroyed or released; the process is terminated with its objects alive.
#pragma once

#include <windows.h>

namespace ostrel {

// Shuts the UI binding down, flushes the "demo" logger and drops every logger, posts
// WM_CLOSE to the process's top-level windows, gives them 100 ms and terminates the process
// with exitCode. Where the process cannot be opened for that, it exits with exitCode
// instead; so this returns only if even that fails.
void endProcess(UINT exitCode);

}  // namespace ostrel
