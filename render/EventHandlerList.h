// The process-wide singly linked list of every live IEventHandler, newest first. Nothing in
// the production raises events today; a file watcher (or a test) hands them to dispatch().
#pragma once

#include "render/ReloadEvent.h"

namespace ostrel {

class IEventHandler;

class EventHandlerList {
public:
  IEventHandler* head() const { return head_; }

  // Links handler in at the head.
  void add(IEventHandler* handler);
  // Unlinks handler; one that is not in the list (a copy) is left alone.
  void remove(IEventHandler* handler);
  // Hands event to every handler, newest first.
  void dispatch(const ReloadEvent& event) const;

private:
  IEventHandler* head_ = nullptr;
};

// The one list, created empty on first use. Main thread only: it is not locked.
EventHandlerList& eventHandlers();

}  // namespace ostrel
