#include "widgets/ui_event.h"

#include <set>
#include <vector>

namespace {

std::set<CUIEventObserver*>* g_observers = nullptr;

}  // namespace

int32_t CUIEventParam::NextTypeId() {
  static int32_t counter = 0;
  return ++counter;
}

CUIEventObserver::CUIEventObserver() {
  if (!g_observers) {
    g_observers = new std::set<CUIEventObserver*>();
  }
  g_observers->insert(this);
}

CUIEventObserver::~CUIEventObserver() {
  g_observers->erase(this);
  if (g_observers->empty()) {
    delete g_observers;
    g_observers = nullptr;
  }
}

void CUIEventObserver::Broadcast(const CUIEventParam& event) {
  if (!g_observers) {
    return;
  }
  // A copy, so an observer may come or go while the event is delivered;
  // ones removed meanwhile are skipped.
  const std::vector<CUIEventObserver*> observers(g_observers->begin(), g_observers->end());
  for (CUIEventObserver* observer : observers) {
    if (g_observers && g_observers->count(observer)) {
      observer->OnUIEvent(event);
    }
  }
}
