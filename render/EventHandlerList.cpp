// The process-wide list of reload handlers.
#include "render/EventHandlerList.h"

#include "render/IEventHandler.h"

namespace ostrel {

void EventHandlerList::add(IEventHandler* handler) {
  handler->next = head_;
  head_ = handler;
}

void EventHandlerList::remove(IEventHandler* handler) {
  for (IEventHandler** link = &head_; *link; link = &(*link)->next) {
    if (*link == handler) {
      *link = handler->next;
      handler->next = nullptr;
      return;
    }
  }
}

void EventHandlerList::dispatch(const ReloadEvent& event) const {
  for (IEventHandler* handler = head_; handler; handler = handler->next) {
    handler->handleEvent(event);
  }
}

EventHandlerList& eventHandlers() {
  static EventHandlerList list;
  return list;
}

IEventHandler::IEventHandler() { eventHandlers().add(this); }

IEventHandler::IEventHandler(const IEventHandler&) {}

IEventHandler& IEventHandler::operator=(const IEventHandler&) { return *this; }

IEventHandler::~IEventHandler() { eventHandlers().remove(this); }

}  // namespace ostrel
