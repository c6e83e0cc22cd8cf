#pragma once

#include <cstdint>

// An event of the user interface, passed by reference to every observer.
class CUIEventParam {
 public:
  virtual ~CUIEventParam() = default;
  virtual int32_t TypeId() const = 0;

 protected:
  // A process-wide number per event class, taken the first time it is asked.
  static int32_t NextTypeId();
};

// Declares an event class's TypeId and a static Type() to compare it with.
#define UI_EVENT_TYPE(Class)                  \
 public:                                      \
  static int32_t Type() {                     \
    static const int32_t type = NextTypeId(); \
    return type;                              \
  }                                           \
  int32_t TypeId() const override { return Type(); }

// The shown picture changed and the view was rebuilt.
class CUIEventViewImageChanged : public CUIEventParam {
  UI_EVENT_TYPE(CUIEventViewImageChanged)
};

// The current folder's pictures were collected.
class CUIEventFolderImageCollected : public CUIEventParam {
  UI_EVENT_TYPE(CUIEventFolderImageCollected)
};

// A zoom changed the zoomed size.
class CUIEventViewZoomChanged : public CUIEventParam {
  UI_EVENT_TYPE(CUIEventViewZoomChanged)

 public:
  CUIEventViewZoomChanged(float new_ratio, float new_fit_ratio)
      : ratio(new_ratio), fit_ratio(new_fit_ratio) {}
  float ratio;
  float fit_ratio;
};

// Registered for every event while it exists (UI thread only).
class CUIEventObserver {
 public:
  CUIEventObserver();
  virtual ~CUIEventObserver();
  CUIEventObserver(const CUIEventObserver&) = delete;
  CUIEventObserver& operator=(const CUIEventObserver&) = delete;

  virtual void OnUIEvent(const CUIEventParam& event) = 0;

  // Calls every registered observer in address order.
  static void Broadcast(const CUIEventParam& event);
};
