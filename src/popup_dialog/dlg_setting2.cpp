#include "popup_dialog/dlg_setting2.h"

#include <commctrl.h>
#include <imm.h>

#include <shobjidl.h>

#include <cwctype>

#include "app/ipc/channel_names.h"
#include "app/ipc/ipc_message_mgr.h"
#include "config/app_config.h"
#include "image/image_format.h"
#include "integration/companion_entry_points.h"
#include "integration/companion_lib_wrapper.h"
#include "log/my_log.h"
#include "toolkit/ui_layouts.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_option.h"

namespace {

constexpr UINT kHotkeyEditId = 1026;
constexpr UINT_PTR kCaptureTimer = 2021;
constexpr int kDefaultHotkey = 1092;  // Alt+D
constexpr UINT kQuickIndexMessage = 0x8201;
constexpr int kHotkeyPage = 3;

constexpr int kShift = 1;
constexpr int kControl = 2;
constexpr int kAlt = 4;
constexpr int kExtended = 8;

bool IsExtendedKey(UINT vk) {
  switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

std::wstring KeyName(UINT vk, bool extended) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LONG key = static_cast<LONG>(scan << 16);
  if (extended || IsExtendedKey(vk)) {
    key |= 1 << 24;
  }
  wchar_t name[64] = {};
  GetKeyNameTextW(key, name, 64);
  return name;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(std::towlower(c));
  }
  return text;
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) {
    return L"";
  }
  return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// The text as a decimal number; texts that are not one (the skin lets only
// digits in) or that do not fit read as the largest value, which clamps.
long long ReadDecimal(const std::wstring& text) {
  long long value = 0;
  for (wchar_t c : Trimmed(text)) {
    if (c < L'0' || c > L'9') {
      return 0;
    }
    value = value * 10 + (c - L'0');
    if (value > 0x7FFFFFFF) {
      return 0x7FFFFFFF;
    }
  }
  return value;
}

COptionUI* AsOption(CControlUI* control) { return static_cast<COptionUI*>(control); }

}  // namespace

// ---------------------------------------------------------------------------
// The capture control.

bool CHotkeyCaptureWnd::CreateOver(HWND parent, HFONT font, int value) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&classes);
  RECT client = {};
  ::GetClientRect(parent, &client);
  HWND hwnd = CreateWindowExW(0, HOTKEY_CLASSW, L"", WS_CHILD, 0, 0, client.right, client.bottom,
                              parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHotkeyEditId)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd || !SubclassWindow(hwnd)) {
    return false;
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ImmAssociateContext(hwnd, nullptr);
  SetValue(value);
  return true;
}

int CHotkeyCaptureWnd::GetValue() const {
  return IsWindow() ? LOWORD(SendMessageW(GetSafeHwnd(), HKM_GETHOTKEY, 0, 0)) : 0;
}

void CHotkeyCaptureWnd::SetValue(int value) {
  if (IsWindow()) {
    SendMessageW(GetSafeHwnd(), HKM_SETHOTKEY, static_cast<WPARAM>(value & 0xFFFF), 0);
    ::InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
  }
}

void CHotkeyCaptureWnd::ApplyCaptureRule() {
  const int value = GetValue();
  const int key = value & 0xFF;
  const int flags = (value >> 8) & 0xFF;
  if (key != 0 && (flags == 0 || flags == kExtended)) {
    SetValue(key | ((flags | kControl | kAlt) << 8));
  }
}

void CHotkeyCaptureWnd::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(GetSafeHwnd(), &paint);
  RECT client = {};
  ::GetClientRect(GetSafeHwnd(), &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const int value = GetValue();
  COLORREF frame;
  COLORREF color;
  std::wstring text;
  if (value != 0) {
    frame = color = RGB(75, 209, 255);
    text = DlgSetting2::HotkeyText(value);
  } else if (focused_) {
    frame = color = RGB(255, 187, 56);
    text = L"请按键盘进行设置";
  } else {
    frame = RGB(179, 179, 179);
    color = RGB(134, 134, 134);
    text = L"点击设置";
  }
  HBRUSH frame_brush = CreateSolidBrush(frame);
  FrameRect(dc, &client, frame_brush);
  DeleteObject(frame_brush);
  HGDIOBJ old_font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetSafeHwnd(), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SIZE extent = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old_font);
  EndPaint(GetSafeHwnd(), &paint);
  if (focused_) {
    SetCaretPos((client.right + extent.cx) / 2, (client.bottom - extent.cy) / 2);
  }
}

LRESULT CHotkeyCaptureWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      focused_ = true;
      Default();
      ::InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
      return 0;
    case WM_KILLFOCUS: {
      focused_ = false;
      Default();
      ::ShowWindow(GetSafeHwnd(), SW_HIDE);
      if (on_capture_end) {
        on_capture_end(GetValue());
      }
      return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const LRESULT result = Default();
      if (wparam == VK_RETURN) {
        ::ShowWindow(GetSafeHwnd(), SW_HIDE);
        SetFocus(GetParent(GetParent(GetSafeHwnd())));
      } else if (wparam != VK_BACK && wparam != VK_ESCAPE) {
        ApplyCaptureRule();
      }
      ::InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
      return result;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR: {
      const LRESULT result = Default();
      ::InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
      return result;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    default:
      return CWnd::WindowProc(message, wparam, lparam);
  }
}

// ---------------------------------------------------------------------------
// The dialog.

DlgSetting2::DlgSetting2(int start_page, CAppConfig* config)
    : CMultiLanguageLoader(L"DLG_SETTING"),
      start_page_(start_page),
      config_(config ? config : CAppConfig::GetInstance()),
      channel_(CIPCMessageMgr::GetInstance()),
      association_module_(CAppConfig::GetProgramFolder() + kAssociationModuleName) {
  // A value of 0 (cleared with Backspace) turns the hotkey off.
  capture_.on_capture_end = [this](int value) {
    if (value != hotkey_value_) {
      ApplyHotkey(value);
    }
  };
}

DlgSetting2::~DlgSetting2() {
  if (dialog_font_) {
    DeleteObject(dialog_font_);
  }
}

const std::vector<std::wstring>& DlgSetting2::FileTypeNames() {
  static const std::vector<std::wstring> names = {L"jpg",  L"gif", L"png", L"bmp", L"tiff", L"ico",
                                                  L"webp", L"tga", L"psd", L"jp2", L"pcx",  L"raw",
                                                  L"g3",   L"dds", L"cut", L"xbm", L"xpm",  L"wmf",
                                                  L"pfm",  L"pcd", L"j2k", L"hdr", L"sgi",  L"exr"};
  return names;
}

std::wstring DlgSetting2::HotkeyText(int value) {
  if (value == 0) {
    return L"";
  }
  const int flags = (value >> 8) & 0xFF;
  std::wstring text;
  if (flags & kControl) {
    text += KeyName(VK_CONTROL, false) + L" + ";
  }
  if (flags & kShift) {
    text += KeyName(VK_SHIFT, false) + L" + ";
  }
  if (flags & kAlt) {
    text += KeyName(VK_MENU, false) + L" + ";
  }
  return text + KeyName(value & 0xFF, (flags & kExtended) != 0);
}

std::wstring DlgSetting2::AssociationEntries(const std::map<std::wstring, bool>& pending) {
  std::wstring entries;
  for (const auto& entry : pending) {
    entries += L"|" + entry.first + L":" + (entry.second ? L"1" : L"0") + L"|";
  }
  return entries;
}

int DlgSetting2::ClampZoomRatio(const std::wstring& text) {
  if (text.empty()) {
    return 8;
  }
  const long long value = ReadDecimal(text);
  return value > 31 ? 32 : value < 5 ? 4 : static_cast<int>(value);
}

int DlgSetting2::ClampJpegQuality(const std::wstring& text) {
  if (text.empty()) {
    return 80;
  }
  const long long value = ReadDecimal(text);
  return value > 99 ? 100 : value < 1 ? 0 : static_cast<int>(value);
}

CControlUI* DlgSetting2::CreateControl(const wchar_t* name) {
  if (std::wstring(name) == L"CenterEdit") {
    return new CCenterTxtEdit();
  }
  return nullptr;
}

std::wstring DlgSetting2::UserAssocFile() const {
  const std::wstring& settings = config_->settings_file();
  return settings.substr(0, settings.find_last_of(L'\\') + 1) + L"user_assoc.ini";
}

// The user's choice decides; without one, the class default does (it opens
// the type then). On Windows 8 and later the association module cannot write
// the user's choice and writes the class default instead, so a box ticked
// there must come back ticked.
bool DlgSetting2::IsDefaultViewerFor(const std::wstring& extension) const {
  const std::wstring prog_id = L"Lumora." + extension;
  wchar_t value[256] = {};
  DWORD size = sizeof(value);
  const std::wstring choice =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + extension +
      L"\\UserChoice";
  if (RegGetValueW(HKEY_CURRENT_USER, choice.c_str(), L"ProgId", RRF_RT_REG_SZ, nullptr, value,
                   &size) == ERROR_SUCCESS) {
    return _wcsicmp(value, prog_id.c_str()) == 0;
  }
  size = sizeof(value);
  const std::wstring classes = L"Software\\Classes\\." + extension;
  return RegGetValueW(HKEY_CURRENT_USER, classes.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                      &size) == ERROR_SUCCESS &&
         _wcsicmp(value, prog_id.c_str()) == 0;
}

void DlgSetting2::InitWindow() {
  config_->Load();
  LOGFONTW font = {};
  font.lfHeight = -14;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  wcscpy_s(font.lfFaceName, L"微软雅黑");
  dialog_font_ = CreateFontIndirectW(&font);

  struct Text {
    const wchar_t* name;
    int id;
  };
  static const Text kTexts[] = {{L"routine", 1},           {L"habit", 2},
                                {L"fileassoc", 3},         {L"roller", 100},
                                {L"turnpage", 101},        {L"scale", 102},
                                {L"dbclick", 103},         {L"double", 104},
                                {L"origin", 105},          {L"gps", 106},
                                {L"tencent", 107},         {L"google", 108},
                                {L"max_multiple", 109},    {L"loop", 110},
                                {L"rotate_save", 113},     {L"ignore_icc", 114},
                                {L"hard_speed_up", 10},    {L"hard_speed_up_tip", 11},
                                {L"confirm_del", 12},      {L"long_graph", 13},
                                {L"long_graph_tip", 14},   {L"save_jpeg_quality_desc", 15},
                                {L"quality_tip", 16},      {L"only_one_wnd", 19},
                                {L"cls_exit_service", 20}, {L"quick_indexes", 21},
                                {L"sys_panel", 115}};
  for (const Text& text : kTexts) {
    if (CControlUI* control = paint_manager_.FindControl(text.name)) {
      control->SetText(GetString(text.id));
    }
  }
  if (CControlUI* title = paint_manager_.FindControl(L"shotscreen")) {
    title->SetText(L"截图功能");
  }

  for (const wchar_t* name : {L"turnpage", L"scale", L"double", L"origin", L"loop", L"rotate_save",
                              L"ignore_icc", L"tencent", L"google"}) {
    if (CControlUI* control = paint_manager_.FindControl(name)) {
      first_group_.push_back(AsOption(control));
    }
  }
  for (const wchar_t* name : {L"quick_indexes", L"confirm_del", L"long_graph", L"hard_speed_up",
                              L"only_one_wnd", L"cls_exit_service"}) {
    if (CControlUI* control = paint_manager_.FindControl(name)) {
      second_group_.push_back(AsOption(control));
    }
  }
  for (const std::wstring& name : FileTypeNames()) {
    if (CControlUI* control = paint_manager_.FindControl(name)) {
      file_types_.push_back(AsOption(control));
    }
  }
  ShowInitialStates();

  if (CControlUI* panel = paint_manager_.FindControl(L"sys_panel")) {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 10;
    const DWORDLONG condition = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    panel->SetVisible(VerifyVersionInfoW(&version, VER_MAJORVERSION, condition) != FALSE);
  }

  hotkey_value_ = config_->ReadSnipHotkey();
  hotkey_text_ = HotkeyText(hotkey_value_);
  FitOptionWidths();
  CDlgBase::InitWindow();
  // Selected in the list too, so that the page shown is marked there.
  SelectStartPage();
}

void DlgSetting2::ShowInitialStates() {
  showing_states_ = true;
  const CAppConfig& c = *config_;
  const int quick_index =
      CCompanionLibWrapper::GetInstance()
          ? CCompanionLibWrapper::GetInstance()->GetQuickIndexState(c.quick_index_value)
          : c.quick_index_value;
  const std::map<std::wstring, bool> states = {
      {L"turnpage", c.mouse_wheel_action == 0},     {L"scale", c.mouse_wheel_action == 1},
      {L"double", c.double_click_action == 0},      {L"origin", c.double_click_action == 1},
      {L"tencent", c.gps_map_vendor == 0},          {L"google", c.gps_map_vendor == 1},
      {L"loop", c.view_folder_loop != 0},           {L"rotate_save", c.rotate_auto_save != 0},
      {L"ignore_icc", c.ignore_embedded_icc != 0},  {L"hard_speed_up", c.hardware_zoom != 0},
      {L"confirm_del", c.show_delete_confirm != 0}, {L"long_graph", c.long_image_mode != 0},
      {L"only_one_wnd", c.only_one_instance != 0},  {L"cls_exit_service", c.completely_exit != 0},
      {L"quick_indexes", quick_index != 0}};
  for (const auto& state : states) {
    if (CControlUI* control = paint_manager_.FindControl(state.first)) {
      AsOption(control)->Selected(state.second, false);
    }
  }
  for (COptionUI* box : file_types_) {
    box->Selected(IsDefaultViewerFor(box->GetName()), false);
  }
  if (CControlUI* zoom = paint_manager_.FindControl(L"num_multiple")) {
    zoom->SetText(std::to_wstring(c.max_zoom_ratio));
  }
  if (CControlUI* quality = paint_manager_.FindControl(L"edt_quality")) {
    quality->SetText(std::to_wstring(c.save_jpeg_quality));
  }
  showing_states_ = false;
}

void DlgSetting2::FitOptionWidths() {
  HDC dc = GetDC(GetHWND());
  for (const auto* group : {&first_group_, &second_group_}) {
    for (COptionUI* option : *group) {
      HGDIOBJ old = SelectObject(dc, paint_manager_.GetFont(option->GetFont()));
      const std::wstring text = option->GetText();
      SIZE extent = {};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      SelectObject(dc, old);
      option->SetFixedWidth(extent.cx + option->GetTextPadding().left + 14);
    }
  }
  ReleaseDC(GetHWND(), dc);
}

void DlgSetting2::SelectStartPage() {
  if (auto* list = static_cast<CListUI*>(paint_manager_.FindControl(L"page_list"))) {
    list->SelectItem(start_page_);
  }
}

void DlgSetting2::SendTrayInt(uint32_t type, int32_t value) {
  if (!channel_) {
    return;
  }
  IPC::Message message = CIPCMessageMgr::TrayMessage(type);
  message.WriteInt(value);
  channel_->Send(message);
}

void DlgSetting2::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"cls") {
    Close(0);
  } else if (name == L"reset") {
    ApplyHotkey(kDefaultHotkey);
  } else if (name == L"sys_panel") {
    OpenDefaultPrograms();
  } else {
    CDlgBase::OnClick(msg);
  }
}

void DlgSetting2::Notify(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (msg.sType == L"selectchanged") {
    OnSelectChanged(AsOption(msg.pSender));
  } else if (msg.sType == L"textchanged") {
    if (name == L"num_multiple") {
      config_->max_zoom_ratio = ClampZoomRatio(msg.pSender->GetText());
    } else if (name == L"edt_quality") {
      config_->save_jpeg_quality = ClampJpegQuality(msg.pSender->GetText());
    }
  } else if (msg.sType == L"setfocus" && (name == L"num_multiple" || name == L"edt_quality")) {
    if (HWND edit = static_cast<CEditUI*>(msg.pSender)->GetNativeWindow()) {
      SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) | ES_CENTER);
      ::InvalidateRect(edit, nullptr, TRUE);
    }
  } else if (msg.sType == L"itemselect" && name == L"page_list") {
    if (auto* pages = static_cast<CTabLayoutUI*>(paint_manager_.FindControl(L"pages"))) {
      pages->SelectItem(static_cast<int>(msg.wParam));
      OnPageShown(static_cast<int>(msg.wParam));
    }
  }
  CDlgBase::Notify(msg);
}

void DlgSetting2::OnSelectChanged(COptionUI* option) {
  const std::wstring& name = option->GetName();
  const bool on = option->IsSelected();
  CAppConfig& c = *config_;
  if (name == L"turnpage") {
    if (on) {
      c.mouse_wheel_action = 0;
    }
    c.show_wheel_favorite = c.mouse_wheel_action == 99 ? 1 : 0;
  } else if (name == L"scale") {
    if (on) {
      c.mouse_wheel_action = 1;
    }
  } else if (name == L"double" || name == L"origin") {
    if (on) {
      c.double_click_action = name == L"double" ? 0 : 1;
    }
    redraw_ = 1;
  } else if (name == L"tencent" || name == L"google") {
    if (on) {
      c.gps_map_vendor = name == L"tencent" ? 0 : 1;
    }
  } else if (name == L"loop") {
    c.view_folder_loop = on;
    redraw_ = 1;
  } else if (name == L"rotate_save") {
    c.rotate_auto_save = on;
  } else if (name == L"ignore_icc") {
    c.ignore_embedded_icc = on;
    redraw_ = 1;
  } else if (name == L"hard_speed_up") {
    c.hardware_zoom = on;
    redraw_ = 1;
  } else if (name == L"confirm_del") {
    c.show_delete_confirm = on;
  } else if (name == L"long_graph") {
    c.long_image_mode = on;
    redraw_ = 1;
  } else if (name == L"only_one_wnd") {
    c.only_one_instance = on;
    if (refresh_receivers_) {
      refresh_receivers_();
    }
    c.Save();
  } else if (name == L"cls_exit_service") {
    c.completely_exit = on;
    c.Save();
  } else if (name == L"quick_indexes") {
    c.quick_index_value = on;
    PostMessageW(notify_window_ ? notify_window_ : ::GetWindow(GetHWND(), GW_OWNER),
                 kQuickIndexMessage, 0, on ? 1 : 0);
  } else if (name == L"all") {
    for (COptionUI* box : file_types_) {
      if (box->IsSelected() != on) {
        box->Selected(on, true);
      } else {
        OnFileTypeChanged(box->GetName(), on);
      }
    }
  } else if (name == L"lockscreen_yes" || name == L"lockscreen_no" ||
             name.rfind(L"minutes_", 0) == 0) {
    if (on) {
      OnLockscreenChanged(name, option);
    }
  } else {
    for (COptionUI* box : file_types_) {
      if (box == option) {
        OnFileTypeChanged(name, on);
        break;
      }
    }
  }
}

void DlgSetting2::OnFileTypeChanged(const std::wstring& name, bool on) {
  const std::wstring extension = Lower(name);
  std::vector<std::wstring> covered = {extension};
  if (GetImageFormatClass(L"a." + extension) == kFormatJpeg) {
    covered = {L"jpg", L"jpeg", L"jfif", L"jpe"};
  }
  const std::wstring file = UserAssocFile();
  for (const std::wstring& each : covered) {
    pending_[each] = on;
    WritePrivateProfileStringW(L"app", each.c_str(), on ? L"1" : L"x", file.c_str());
  }
  if (channel_) {
    const int length =
        WideCharToMultiByte(CP_THREAD_ACP, 0, extension.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) {
      WideCharToMultiByte(CP_THREAD_ACP, 0, extension.c_str(), -1, &narrow[0], length, nullptr,
                          nullptr);
    }
    IPC::Message message = CIPCMessageMgr::TrayMessage(IPC::kTrayAssociation);
    message.WriteString(narrow);
    message.WriteInt(on ? 1 : 0);
    channel_->Send(message);
  }
}

void DlgSetting2::OnLockscreenChanged(const std::wstring& name, COptionUI* option) {
  CAppConfig& c = *config_;
  if (name == L"lockscreen_yes" || name == L"lockscreen_no") {
    c.lockscreen_enable = name == L"lockscreen_no" ? 0 : 1;
    c.Save();
    SendTrayInt(IPC::kTrayLockscreenEnable, c.lockscreen_enable);
  } else {
    c.lockscreen_time = static_cast<int32_t>(option->GetTag());
    c.lockscreen_user_changed_time = 1;
    c.Save();
    SendTrayInt(IPC::kTrayLockscreenTime, c.lockscreen_time);
  }
  c.Load();
}

void DlgSetting2::OpenDefaultPrograms() {
  IOpenControlPanel* panel = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_OpenControlPanel, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IOpenControlPanel, reinterpret_cast<void**>(&panel)))) {
    panel->Open(L"Microsoft.DefaultPrograms", L"pageDefaultProgram", nullptr);
    panel->Release();
  } else {
    LOG_INFO << "The control panel object is not available";
  }
}

void DlgSetting2::OnPageShown(int page) {
  if (page != kHotkeyPage) {
    if (hotkey_edit_) {
      ::ShowWindow(hotkey_edit_, SW_HIDE);
    }
    return;
  }
  if (!hotkey_edit_) {
    CControlUI* place = paint_manager_.FindControl(L"edt_keys");
    if (!place) {
      return;
    }
    // The page has only just been switched to: lay it out before reading
    // where the field is.
    paint_manager_.UpdateLayout();
    const RECT pos = place->GetPos();
    hotkey_edit_ = CreateWindowExW(
        0, L"EDIT", hotkey_text_.c_str(), WS_CHILD | ES_CENTER | ES_AUTOHSCROLL | ES_READONLY,
        pos.left + 1, pos.top + 4, pos.right - pos.left - 2, pos.bottom - pos.top - 5, GetHWND(),
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHotkeyEditId)), GetModuleHandleW(nullptr),
        nullptr);
    SendMessageW(hotkey_edit_, WM_SETFONT, reinterpret_cast<WPARAM>(dialog_font_), FALSE);
  }
  ::ShowWindow(hotkey_edit_, SW_SHOW);
}

void DlgSetting2::ApplyHotkey(int value) {
  SendTrayInt(IPC::kTrayHotkey, value);
  hotkey_value_ = value;
  hotkey_text_ = HotkeyText(value);
  if (hotkey_edit_) {
    SetWindowTextW(hotkey_edit_, hotkey_text_.c_str());
  }
  capture_.SetValue(value);
  armed_ = false;
}

LRESULT DlgSetting2::HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam,
                                         BOOL& handled) {
  if (message == WM_COMMAND && LOWORD(wparam) == kHotkeyEditId &&
      reinterpret_cast<HWND>(lparam) == hotkey_edit_) {
    if (HIWORD(wparam) == EN_SETFOCUS) {
      SetTimer(GetHWND(), kCaptureTimer, 1, nullptr);
    } else if (HIWORD(wparam) == EN_KILLFOCUS) {
      // Focus going to the capture control arms the edit; the next loss
      // (the user leaving the field) applies what was captured.
      if (armed_ && capture_.IsWindow() && capture_.GetValue() != hotkey_value_) {
        ApplyHotkey(capture_.GetValue());
      } else {
        armed_ = true;
      }
    }
    handled = TRUE;
    return 0;
  }
  if (message == WM_TIMER && wparam == kCaptureTimer) {
    KillTimer(GetHWND(), kCaptureTimer);
    if (!capture_.IsWindow()) {
      capture_.CreateOver(hotkey_edit_, dialog_font_, hotkey_value_);
    } else {
      capture_.SetValue(hotkey_value_);
    }
    ::ShowWindow(capture_.GetSafeHwnd(), SW_SHOW);
    SetFocus(capture_.GetSafeHwnd());
    handled = TRUE;
    return 0;
  }
  if (message == WM_LBUTTONDOWN && GetFocus() != GetHWND()) {
    POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    CControlUI* hit = paint_manager_.FindControl(point);
    if (!hit || hit->GetClass() == std::wstring(L"VerticalLayoutUI") ||
        hit->GetClass() == std::wstring(L"HorizontalLayoutUI") ||
        hit->GetClass() == std::wstring(L"LabelUI") ||
        hit->GetClass() == std::wstring(L"ControlUI")) {
      SetFocus(GetHWND());
    }
  }
  return CDlgBase::HandleCustomMessage(message, wparam, lparam, handled);
}

LRESULT DlgSetting2::OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) {
  KillTimer(GetHWND(), kCaptureTimer);
  // The next opening loads the file again: what was chosen here must be in
  // it by then, not only in memory.
  if (IsInitialised()) {
    config_->Save();
  }
  if (!pending_.empty()) {
    HMODULE module =
        LoadLibraryExW(association_module_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    auto set_association = module ? reinterpret_cast<SetAssociationFn>(reinterpret_cast<void*>(
                                        GetProcAddress(module, "SetAssociation")))
                                  : nullptr;
    if (set_association) {
      set_association(AssociationEntries(pending_).c_str());
    } else {
      LOG_INFO << "File type changes not applied: no association module";
    }
    if (module) {
      FreeLibrary(module);
    }
    pending_.clear();
  }
  return CDlgBase::OnDestroy(message, wparam, lparam, handled);
}
