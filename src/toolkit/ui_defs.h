#pragma once

#include <windows.h>

#include <string>

class CControlUI;

// Notification type names, as skins' windows receive them.
namespace ui_notify {
constexpr const wchar_t* kClick = L"click";
constexpr const wchar_t* kSelectChanged = L"selectchanged";
constexpr const wchar_t* kTextChanged = L"textchanged";
constexpr const wchar_t* kItemSelect = L"itemselect";
constexpr const wchar_t* kWindowInit = L"windowinit";
constexpr const wchar_t* kSetFocus = L"setfocus";
constexpr const wchar_t* kKillFocus = L"killfocus";
constexpr const wchar_t* kTabSelect = L"tabselect";
constexpr const wchar_t* kMouseEnter = L"mouseenter";
constexpr const wchar_t* kMouseLeave = L"mouseleave";
}  // namespace ui_notify

// A user action reported by name. wParam is the item or page index for
// "itemselect" and "tabselect" (lParam the previous one).
struct TNotifyUI {
  std::wstring sType;
  CControlUI* pSender = nullptr;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  POINT ptMouse = {};
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

// Sees the messages of a window (and the keys of its child windows) before
// the controls do; bHandled stops them there.
class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

// Makes the controls of program-defined class names met in a skin; null
// leaves the name to the toolkit's own classes.
class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  virtual CControlUI* CreateControl(const wchar_t* pstrClass) = 0;
};

// Events the paint manager hands to controls.
enum class UiEvent {
  kMouseMove,
  kMouseEnter,
  kMouseLeave,
  kMouseHover,
  kButtonDown,
  kButtonUp,
  kDoubleClick,
  kScrollWheel,
  kKeyDown,
  kChar,
  kSetFocus,
  kKillFocus,
  kSetCursor,
};

struct TEventUI {
  UiEvent type = UiEvent::kMouseMove;
  CControlUI* pSender = nullptr;
  POINT ptMouse = {};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  WORD wKeyState = 0;
  wchar_t chKey = 0;
};

// Text alignment flags of labels and buttons (DrawText flags).
constexpr UINT kDefaultTextStyle = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

// A control drawn by a native child window (an edit); the paint manager
// hands it the child's notifications and colour requests.
class INativeChildUI {
 public:
  virtual ~INativeChildUI() = default;
  virtual void OnNativeCommand(UINT code) = 0;
  virtual HBRUSH OnNativeColor(HDC dc) = 0;
};
