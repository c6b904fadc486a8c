// Objects that can be told to reload themselves from their source file (shaders, scenes).
// Each one links itself into the process-wide list eventHandlers() when constructed and
// unlinks itself when destroyed; a copy is not linked in, and assigning to a handler keeps
// its own place in the list.
#pragma once

#include "render/ReloadEvent.h"

namespace ostrel {

class IEventHandler {
public:
  virtual void handleEvent(const ReloadEvent& event) = 0;

  // The next older handler in eventHandlers(), or null.
  IEventHandler* next = nullptr;

protected:
  IEventHandler();
  IEventHandler(const IEventHandler& other);
  IEventHandler& operator=(const IEventHandler& other);
  // Not virtual: handlers are never destroyed through this interface.
  ~IEventHandler();
};

}  // namespace ostrel
