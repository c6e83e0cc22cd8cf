#include "toolkit/ui_edit.h"

#include <algorithm>

#include "toolkit/paint_manager.h"
#include "toolkit/ui_render.h"

LRESULT CEditNativeWnd::WindowProc(UINT message, WPARAM wparam, LPARAM) {
  if (!owner_) {
    return Default();
  }
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = Default();
      owner_->OnNativeFocus(message == WM_SETFOCUS);
      return result;
    }
    case WM_KEYDOWN:
      if (wparam == VK_TAB && owner_->GetManager()) {
        owner_->GetManager()->MoveFocus(GetKeyState(VK_SHIFT) >= 0);
        return 0;
      }
      break;
    case WM_CHAR:
      // Tab moved the focus already; the edit would only beep.
      if (wparam == L'\t') {
        return 0;
      }
      break;
    default:
      break;
  }
  return Default();
}

CEditUI::CEditUI() {
  keyboard_enabled_ = true;
  text_style_ = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX;
}

CEditUI::~CEditUI() {
  if (!native_) {
    return;
  }
  if (manager_) {
    manager_->UnregisterNativeChild(native_->GetSafeHwnd());
  }
  native_->DetachOwner();
  native_.reset();
}

std::wstring CEditUI::GetText() const {
  HWND native = GetNativeWindow();
  if (!native) {
    return text_;
  }
  const int length = GetWindowTextLengthW(native);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(native, &text[0], length + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

void CEditUI::SetText(const std::wstring& text) {
  text_ = text;
  if (HWND native = GetNativeWindow()) {
    setting_text_ = true;
    SetWindowTextW(native, text.c_str());
    setting_text_ = false;
  }
  Invalidate();
}

void CEditUI::SetMaxChar(int count) {
  max_char_ = std::max(0, count);
  if (HWND native = GetNativeWindow()) {
    SendMessageW(native, EM_LIMITTEXT, static_cast<WPARAM>(max_char_), 0);
  }
}

void CEditUI::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  if (HWND native = GetNativeWindow()) {
    SendMessageW(native, EM_SETREADONLY, read_only ? TRUE : FALSE, 0);
  }
}

void CEditUI::SetNativeBkColor(uint32_t argb) {
  native_bk_color_ = argb;
  native_brush_.DeleteObject();
  if (HWND native = GetNativeWindow()) {
    InvalidateRect(native, nullptr, TRUE);
  }
}

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  int number = 0;
  bool flag = false;
  uint32_t color = 0;
  if (SameName(name, L"maxchar")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetMaxChar(number);
    }
  } else if (SameName(name, L"readonly")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetReadOnly(flag);
    }
  } else if (SameName(name, L"password")) {
    if (skin_attr::ParseBool(value, &flag)) {
      password_ = flag;
      if (HWND native = GetNativeWindow()) {
        SendMessageW(native, EM_SETPASSWORDCHAR, flag ? L'*' : 0, 0);
      }
    }
  } else if (SameName(name, L"numberonly")) {
    if (skin_attr::ParseBool(value, &flag)) {
      number_only_ = flag;
      if (HWND native = GetNativeWindow()) {
        const LONG_PTR style = GetWindowLongPtrW(native, GWL_STYLE);
        SetWindowLongPtrW(native, GWL_STYLE, flag ? (style | ES_NUMBER) : (style & ~ES_NUMBER));
      }
    }
  } else if (SameName(name, L"multiline")) {
    // Only before the native window exists: the platform fixes it then.
    if (skin_attr::ParseBool(value, &flag) && !native_) {
      multiline_ = flag;
    }
  } else if (SameName(name, L"nativebkcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      SetNativeBkColor(color);
    }
  } else if (SameName(name, L"font")) {
    CLabelUI::SetAttribute(name, value);
    if (HWND native = GetNativeWindow()) {
      SendMessageW(native, WM_SETFONT, reinterpret_cast<WPARAM>(GetFontHandle()), TRUE);
    }
  } else if (SameName(name, L"textcolor")) {
    CLabelUI::SetAttribute(name, value);
    if (HWND native = GetNativeWindow()) {
      InvalidateRect(native, nullptr, TRUE);
    }
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

void CEditUI::DoInit() {
  if (!manager_ || !manager_->GetPaintWindow() || native_) {
    return;
  }
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL;
  if (multiline_) {
    style = WS_CHILD | WS_CLIPSIBLINGS | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
  }
  if (text_style_ & DT_CENTER) {
    style |= ES_CENTER;
  } else if (text_style_ & DT_RIGHT) {
    style |= ES_RIGHT;
  }
  if (password_) {
    style |= ES_PASSWORD;
  }
  if (number_only_) {
    style |= ES_NUMBER;
  }
  if (read_only_) {
    style |= ES_READONLY;
  }
  auto native = std::make_unique<CEditNativeWnd>(this);
  HWND hwnd =
      CreateWindowExW(0, L"EDIT", text_.c_str(), style, 0, 0, 0, 0, manager_->GetPaintWindow(),
                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd || !native->SubclassWindow(hwnd)) {
    if (hwnd) {
      DestroyWindow(hwnd);
    }
    return;
  }
  native_ = std::move(native);
  manager_->RegisterNativeChild(hwnd, this);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFontHandle()), FALSE);
  SendMessageW(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(max_char_), 0);
  SendMessageW(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  EnableWindow(hwnd, IsEnabled());
  PlaceNative();
  ShowNative();
}

void CEditUI::PlaceNative() {
  HWND native = GetNativeWindow();
  if (!native) {
    return;
  }
  RECT box = TextRect();
  if (!multiline_) {
    // A one-line edit draws at its top: centre a line-high window instead.
    CClientDC dc(native);
    const SIZE line = ui_render::MeasureText(dc, L"Wg", GetFontHandle(), DT_SINGLELINE, 0);
    const int height = std::min<int>(line.cy + 2, box.bottom - box.top);
    box.top += (box.bottom - box.top - height) / 2;
    box.bottom = box.top + height;
  }
  MoveWindow(native, box.left, box.top, std::max(0, static_cast<int>(box.right - box.left)),
             std::max(0, static_cast<int>(box.bottom - box.top)), TRUE);
}

void CEditUI::ShowNative() {
  if (HWND native = GetNativeWindow()) {
    ShowWindow(native, IsVisible() ? SW_SHOWNA : SW_HIDE);
  }
}

void CEditUI::SetPos(const RECT& rect) {
  CLabelUI::SetPos(rect);
  PlaceNative();
}

void CEditUI::SetVisible(bool visible) {
  CLabelUI::SetVisible(visible);
  ShowNative();
}

void CEditUI::SetInternVisible(bool visible) {
  CLabelUI::SetInternVisible(visible);
  ShowNative();
}

void CEditUI::SetEnabled(bool enabled) {
  CLabelUI::SetEnabled(enabled);
  if (HWND native = GetNativeWindow()) {
    EnableWindow(native, enabled);
  }
}

void CEditUI::DoEvent(TEventUI& event) {
  switch (event.type) {
    case UiEvent::kSetFocus:
      focused_ = true;
      if (HWND native = GetNativeWindow()) {
        if (::GetFocus() != native) {
          ::SetFocus(native);
        }
      }
      if (manager_) {
        manager_->SendNotify(this, ui_notify::kSetFocus);
      }
      Invalidate();
      return;
    case UiEvent::kKillFocus:
      focused_ = false;
      if (manager_) {
        manager_->SendNotify(this, ui_notify::kKillFocus);
      }
      Invalidate();
      return;
    case UiEvent::kButtonDown:
      if (IsEnabled()) {
        SetFocus();
      }
      return;
    case UiEvent::kSetCursor:
      SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
      return;
    default:
      CLabelUI::DoEvent(event);
  }
}

void CEditUI::OnNativeCommand(UINT code) {
  if (code != EN_CHANGE || setting_text_) {
    return;
  }
  // Some edits report a change also for a key refused at the limit.
  const std::wstring text = GetText();
  if (text == text_) {
    return;
  }
  text_ = text;
  if (manager_) {
    manager_->SendNotify(this, ui_notify::kTextChanged);
  }
}

HBRUSH CEditUI::OnNativeColor(HDC dc) {
  if (native_brush_.IsEmpty()) {
    native_brush_.CreateSolidBrush(ui_render::ToColorRef(native_bk_color_));
  }
  ::SetTextColor(dc, ui_render::ToColorRef(IsEnabled() ? text_color_ : disabled_text_color_));
  ::SetBkColor(dc, ui_render::ToColorRef(native_bk_color_));
  return native_brush_;
}

void CEditUI::OnNativeFocus(bool gained) {
  if (!manager_) {
    return;
  }
  if (gained) {
    manager_->SetFocus(this);
  } else if (manager_->GetFocus() == this) {
    manager_->SetFocus(nullptr);
  }
}
