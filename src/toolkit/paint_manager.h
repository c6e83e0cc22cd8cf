#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/gdi_objects.h"
#include "toolkit/skin_attributes.h"
#include "toolkit/ui_defs.h"

class CControlUI;
class CSkinArchive;
class CSkinImage;
class CShadowWindow;

// Owns the control tree of one window and everything the tree shares: the
// skin archive and its pictures, the font table, the window attributes of
// the skin. Turns the window's messages into control events and
// notifications, and paints the tree double-buffered (or, for a skin with a
// transparent background, into a per-pixel-alpha layered window).
class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  void Init(HWND hwnd);
  HWND GetPaintWindow() const { return hwnd_; }

  // Skin source.
  void SetArchive(std::shared_ptr<CSkinArchive> archive);
  const std::shared_ptr<CSkinArchive>& GetArchive() const { return archive_; }
  // The picture named in a skin, or null when it is missing.
  CSkinImage* GetImage(const std::wstring& name);

  // Window attributes of the skin.
  SIZE GetInitSize() const { return init_size_; }
  void SetInitSize(int cx, int cy) { init_size_ = {cx, cy}; }
  // Caption: left, top and bottom from the client's top-left, right as a
  // margin from the client's right edge (0 reaches the edge).
  const RECT& GetCaptionRect() const { return caption_; }
  void SetCaptionRect(const RECT& rect) { caption_ = rect; }
  // Margins along the client's edges that resize the window.
  const RECT& GetSizeBox() const { return size_box_; }
  void SetSizeBox(const RECT& rect) { size_box_ = rect; }
  SIZE GetRoundCorner() const { return round_corner_; }
  void SetRoundCorner(int cx, int cy) { round_corner_ = {cx, cy}; }
  SIZE GetMinInfo() const { return min_info_; }
  void SetMinInfo(int cx, int cy) { min_info_ = {cx, cy}; }
  SIZE GetMaxInfo() const { return max_info_; }
  void SetMaxInfo(int cx, int cy) { max_info_ = {cx, cy}; }
  // A skin with a transparent background is shown as a layered window.
  bool IsLayered() const { return layered_; }
  void SetLayered(bool layered);
  // Drop shadow from the skin's "useshadow", "shadowimage", "shadowsize".
  void SetShadow(bool use, const std::wstring& image, const RECT& size);
  bool HasShadow() const { return use_shadow_ && !shadow_image_.empty(); }
  const RECT& GetShadowSize() const { return shadow_size_; }
  void CreateShadow();

  // Fonts, indexed from 0 in the order of the skin's Font elements.
  int AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);
  void SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);
  // The font of that index, or the default font for any other index.
  HFONT GetFont(int index);
  int GetFontCount() const { return static_cast<int>(fonts_.size()); }
  // The same font table as other (for popups of a control, such as a
  // combo's list).
  void CopyFontsFrom(const CPaintManagerUI& other);

  // Attribute lists the skin's Default elements give each class.
  void AddDefaultAttributeList(const std::wstring& class_name, const std::wstring& list);
  const std::wstring* GetDefaultAttributeList(const std::wstring& class_name) const;

  // Takes the tree; the previous one is deleted.
  bool AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return root_.get(); }
  CControlUI* FindControl(const std::wstring& name) const;
  CControlUI* FindControl(POINT point) const;
  static CControlUI* FindSubControlByName(CControlUI* parent, const std::wstring& name);
  // The index-th control of that class (for example "LabelUI") below
  // parent, parent itself excluded.
  static CControlUI* FindSubControlByClass(CControlUI* parent, const wchar_t* class_name,
                                           int index = 0);

  // Notifications.
  void AddNotifier(INotifyUI* notifier);
  void RemoveNotifier(INotifyUI* notifier);
  void SendNotify(CControlUI* control, const wchar_t* type, WPARAM wparam = 0, LPARAM lparam = 0,
                  bool async = false);
  void AddMessageFilter(IMessageFilterUI* filter);
  void RemoveMessageFilter(IMessageFilterUI* filter);

  // Messages of the window; true when handled, with the result in result.
  bool MessageHandler(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // Keys of the window and of its child windows, before dispatch; true
  // consumes the message.
  bool PreMessageHandler(const MSG* msg);

  void Invalidate(const RECT& rect);
  void Invalidate();
  void NeedUpdate();
  // Lays the tree out now if it needs it.
  void UpdateLayout();
  // Renders a layered window now (also before it is first shown).
  void RenderLayered();

  CControlUI* GetFocus() const { return focus_; }
  void SetFocus(CControlUI* control);
  // Moves the focus to the next (or previous) control that takes it.
  void MoveFocus(bool forward);
  CControlUI* GetHot() const { return hot_; }
  // A control being deleted is forgotten as hot, pushed or focused.
  void ReapControl(CControlUI* control);

  // Native child windows of controls (edits) report through their parent.
  void RegisterNativeChild(HWND child, INativeChildUI* control);
  void UnregisterNativeChild(HWND child);

  // Whether the first "windowinit" has been sent.
  bool IsInitialised() const { return window_init_sent_; }

  static constexpr UINT kMsgAsyncNotify = WM_APP + 0x3F0;
  static constexpr UINT kMsgWindowInit = WM_APP + 0x3F1;
  static constexpr UINT kMsgLayeredPaint = WM_APP + 0x3F2;

 private:
  struct CFontEntry {
    std::wstring face;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    CFont font;
  };

  void OnPaint();
  void PaintTree(HDC dc, const RECT& paint);
  void OnMouseMove(POINT point, WPARAM keys);
  void SetHot(CControlUI* control, POINT point);
  void OnButtonDown(UINT message, POINT point, WPARAM keys);
  void OnButtonUp(POINT point, WPARAM keys);
  void ShowToolTip(CControlUI* control);
  void HideToolTip();
  bool RouteNativeChild(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  HFONT MakeFont(CFontEntry& entry);
  void DispatchNotify(TNotifyUI& notify);
  void Event(CControlUI* control, UiEvent type, POINT point, WPARAM wparam = 0, LPARAM lparam = 0);

  HWND hwnd_ = nullptr;
  std::shared_ptr<CSkinArchive> archive_;
  std::unique_ptr<CControlUI> root_;
  SIZE init_size_ = {};
  RECT caption_ = {};
  RECT size_box_ = {};
  SIZE round_corner_ = {};
  SIZE min_info_ = {};
  SIZE max_info_ = {};
  bool layered_ = false;
  bool use_shadow_ = false;
  std::wstring shadow_image_;
  RECT shadow_size_ = {};
  std::unique_ptr<CShadowWindow> shadow_;

  std::vector<std::unique_ptr<CFontEntry>> fonts_;
  CFontEntry default_font_;
  std::map<std::wstring, std::wstring> default_attributes_;

  std::vector<INotifyUI*> notifiers_;
  std::vector<IMessageFilterUI*> filters_;
  std::deque<TNotifyUI> async_notifies_;
  std::map<HWND, INativeChildUI*> native_children_;

  CControlUI* hot_ = nullptr;
  CControlUI* pushed_ = nullptr;
  CControlUI* focus_ = nullptr;
  CControlUI* tooltip_owner_ = nullptr;
  HWND tooltip_ = nullptr;
  bool mouse_tracking_ = false;
  bool need_update_ = true;
  bool layered_paint_posted_ = false;
  bool window_init_sent_ = false;
  bool window_init_posted_ = false;
  POINT last_mouse_ = {};

  CBitmap buffer_;
  uint32_t* buffer_bits_ = nullptr;
  SIZE buffer_size_ = {};
};
