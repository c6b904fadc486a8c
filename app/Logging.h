// Logging set-up at start-up: the "demo" logger and the model importer's logger.
#pragma once

namespace ostrel {

// Deletes and recreates "demo.log" in the working directory, registers the "demo" logger on
// it (single-threaded file sink, synchronous) at level off, so the file stays empty unless
// that one level is lowered, and sends assimp's log to the debugger output.
void setupLogging();

}  // namespace ostrel
