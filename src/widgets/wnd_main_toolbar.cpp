#include "widgets/wnd_main_toolbar.h"

#include "config/app_config.h"
#include "framework/gdi_objects.h"
#include "l10n/lang_string.h"
#include "main_messages.h"
#include "resource_ids.h"
#include "widgets/resource_picture.h"

namespace wnd_main_toolbar {

namespace {

constexpr int kTop = 13;
constexpr int kCentreStartShift = 65;
constexpr int kCentreGap = 12;

}  // namespace

CToolbarButton::CToolbarButton(int32_t command_id, int32_t group,
                               std::shared_ptr<FCObjImage> sprite, int sprite_column)
    : sprite_(std::move(sprite)), sprite_column_(sprite_column) {
  id = command_id;
  style = group;
}

int CToolbarButton::SpriteRow() const {
  if (!IsEnabled()) {
    return 2;
  }
  return (flags & (kHot | kPressed | kActive)) ? 1 : 0;
}

void CToolbarButton::Draw(HDC dc) {
  if (!sprite_ || !sprite_->IsValid()) {
    return;
  }
  const int x = sprite_column_ * kCell;
  const int y = SpriteRow() * kCell;
  RECT source = {x, y, x + kCell, y + kCell};
  sprite_->DrawTo(dc, {0, 0, kCell, kCell}, &source);
}

void CToolbarButtonLayout::Layout(HWND window, std::deque<CWidgetItem*>& items) {
  RECT client = {};
  GetClientRect(window, &client);
  PlaceButtons(client, items);
}

void CToolbarButtonLayout::PlaceButtons(const RECT& client, std::deque<CWidgetItem*>& items) {
  // The centre cursor moves for every button walked, whatever its group.
  PlaceInGroups(client, items, CToolbarButton::kCell, kTop, [](int k, int* centre_x) {
    if (k == 1) {
      *centre_x -= kCentreStartShift;
    } else if (k != 13) {
      *centre_x += kCentreGap;
    }
  });
}

bool IsButtonEnabled(int32_t id, const PictureState& state) {
  switch (id) {
    case 20001:
      return state.loaded && state.has_gps;
    case 20007:
    case 20008:
      return state.loaded && !state.animated_gif;
    case 20005:
      return state.has_previous;
    case 20006:
      return state.has_next;
    case 20009:
      return state.file_exists;
    default:
      return state.loaded;
  }
}

}  // namespace wnd_main_toolbar

using wnd_main_toolbar::CToolbarButton;
using wnd_main_toolbar::kGroupCentre;
using wnd_main_toolbar::kGroupLeft;
using wnd_main_toolbar::kGroupRight;

const WndMainToolbar::ButtonSpec WndMainToolbar::kButtons[13] = {
    {20002, kGroupCentre, 0, 3},   {20010, kGroupCentre, 8, 12}, {20003, kGroupCentre, 1, 5},
    {20004, kGroupCentre, 2, 6},   {20005, kGroupCentre, 3, 7},  {20006, kGroupCentre, 4, 8},
    {20007, kGroupCentre, 5, 9},   {20008, kGroupCentre, 6, 10}, {20009, kGroupCentre, 7, 11},
    {20011, kGroupCentre, 9, 13},  {20000, kGroupRight, 10, 1},  {20001, kGroupLeft, 11, 2},
    {20014, kGroupCentre, 13, 18},
};

WndMainToolbar::WndMainToolbar(StateProvider provider)
    : provider_(std::move(provider)), sprite_(std::make_shared<FCObjImage>()) {
  LoadResourcePicture(L"toolbar.png", *sprite_);
  for (const ButtonSpec& entry : kButtons) {
    auto* item = new CToolbarButton(entry.id, entry.group, sprite_, entry.column);
    item->tooltip_text = GetLangStringById(L"TOOLBAR", entry.tooltip_key);
    // The effect chooser has nothing to work on before the first picture.
    item->SetFlag(CWidgetItem::kEnabled, entry.id != 20011);
    AddItem(item);
  }
  SetLayout(new wnd_main_toolbar::CToolbarButtonLayout());
}

WndMainToolbar::~WndMainToolbar() {
  CloseEffectWindow();
  info_window_.reset();
}

CToolbarButton* WndMainToolbar::button(int32_t id) const {
  return static_cast<CToolbarButton*>(FindItem(id));
}

void WndMainToolbar::OnUIEvent(const CUIEventParam& event) {
  if (event.TypeId() == CUIEventViewImageChanged::Type()) {
    RefreshAll();
  } else if (event.TypeId() == CUIEventViewZoomChanged::Type()) {
    const auto& zoom = static_cast<const CUIEventViewZoomChanged&>(event);
    const int expected = zoom.ratio != zoom.fit_ratio ? kFitColumn : 0;
    if (CToolbarButton* toggle = button(20002); toggle && toggle->sprite_column() != expected) {
      ToggleActualSize();
    }
  } else if (event.TypeId() == CUIEventFolderImageCollected::Type()) {
    UpdateNeighbourButtons();
  }
}

void WndMainToolbar::RefreshAll() {
  const wnd_main_toolbar::PictureState state =
      provider_ ? provider_() : wnd_main_toolbar::PictureState{};
  for (CWidgetItem* item : items_) {
    item->SetFlag(CWidgetItem::kEnabled, wnd_main_toolbar::IsButtonEnabled(item->id, state));
  }
  if (CToolbarButton* toggle = button(20002)) {
    toggle->set_sprite_column(0);
    toggle->tooltip_text = GetLangStringById(L"TOOLBAR", 3);
  }
  CAppConfig::GetInstance()->fit_toggle_state = 1;
  RegisterTooltips();
  if (hwnd_) {
    Invalidate();
  }
}

void WndMainToolbar::UpdateNeighbourButtons() {
  const wnd_main_toolbar::PictureState state =
      provider_ ? provider_() : wnd_main_toolbar::PictureState{};
  for (int32_t id : {20005, 20006}) {
    if (CWidgetItem* item = FindItem(id)) {
      item->SetFlag(CWidgetItem::kEnabled, wnd_main_toolbar::IsButtonEnabled(id, state));
    }
  }
  if (hwnd_) {
    Invalidate();
  }
}

void WndMainToolbar::ToggleActualSize() {
  CToolbarButton* toggle = button(20002);
  if (!toggle) {
    return;
  }
  if (toggle->sprite_column() == 0) {
    toggle->set_sprite_column(kFitColumn);
    toggle->tooltip_text = GetLangStringById(L"TOOLBAR", 4);
    CAppConfig::GetInstance()->fit_toggle_state = 0;
  } else {
    toggle->set_sprite_column(0);
    toggle->tooltip_text = GetLangStringById(L"TOOLBAR", 3);
    CAppConfig::GetInstance()->fit_toggle_state = 1;
  }
  RegisterTooltips();
  if (hwnd_) {
    Invalidate();
  }
}

void WndMainToolbar::SetFullScreenTooltip(bool full_screen) {
  // Item 20013 is not on this toolbar; the tooltips are registered again.
  if (CWidgetItem* item = FindItem(20013)) {
    item->tooltip_text = GetLangStringById(L"TOOLBAR", full_screen ? 16 : 15);
  }
  RegisterTooltips();
}

void WndMainToolbar::RegisterTooltips() {
  // Laying out again registers one tool per visible button from id 100.
  if (hwnd_) {
    Relayout();
  }
}

void WndMainToolbar::OnItemClick(CWidgetItem* item) {
  if (!item || !hwnd_) {
    return;
  }
  const int32_t id = item->id;
  if (id == 20002) {
    ToggleActualSize();
  }
  PostMessageW(GetParent(hwnd_), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void WndMainToolbar::DrawBackground(HDC dc, const RECT& paint_rect) {
  CBrush brush;
  brush.CreateSolidBrush(CAppConfig::GetInstance()->canvas_back_color & 0xFFFFFF);
  FillRect(dc, &paint_rect, brush);
}

RECT WndMainToolbar::ButtonScreenRect(int32_t id) const {
  const CWidgetItem* item = FindItem(id);
  if (!item || !hwnd_) {
    return RECT{};
  }
  RECT rect = item->rect;
  // Two points are taken as a rectangle: under a right-to-left layout its
  // left and right come back swapped into place.
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void WndMainToolbar::SetActive(int32_t id, bool active) {
  if (CWidgetItem* item = FindItem(id)) {
    item->SetFlag(wnd_main_toolbar::kActive, active);
  }
}

void WndMainToolbar::Report(const wchar_t* category, const wchar_t* name) {
  if (stat_reporter_) {
    stat_reporter_(category, name);
  }
}

void WndMainToolbar::CloseEffectWindow() {
  if (effect_window_) {
    // Going away at its owner's hand, it has nothing more to tell.
    effect_window_->DetachOwner();
    effect_window_.reset();
  }
}

void WndMainToolbar::OnEffectCommand() {
  CToolbarButton* effect = button(ID_EFFECT);
  if (!effect || !hwnd_) {
    return;
  }
  CAppConfig* config = CAppConfig::GetInstance();
  if (effect->flags & wnd_main_toolbar::kActive) {
    config->current_effect = 0;
    effect->SetFlag(wnd_main_toolbar::kActive, false);
    CloseEffectWindow();
    PostMessageW(GetParent(hwnd_), WM_COMMAND, ID_EFFECT_CHANGED, 0);
  } else {
    const RECT rect = ButtonScreenRect(ID_EFFECT);
    CloseEffectWindow();
    effect_window_ = std::make_unique<CEffectWnd>(hwnd_, config->current_effect);
    if (effect_window_->CreateAt({rect.left - 100, rect.top - 126})) {
      effect->SetFlag(wnd_main_toolbar::kActive, true);
    } else {
      effect_window_.reset();
    }
  }
  Invalidate();
  Report(L"feature", L"enhance");
}

void WndMainToolbar::OnEffectChosen(int mode) {
  if (!effect_window_) {
    return;
  }
  CAppConfig* config = CAppConfig::GetInstance();
  const bool changed = config->current_effect != mode;
  config->current_effect = mode;
  SetActive(ID_EFFECT, mode != 0);
  if (hwnd_ && (mode != 0 || changed)) {
    PostMessageW(GetParent(hwnd_), WM_COMMAND, ID_EFFECT_CHANGED, 0);
  }
  CloseEffectWindow();
  if (hwnd_) {
    Invalidate();
  }
}

void WndMainToolbar::OnInfoCommand() {
  if (!hwnd_) {
    return;
  }
  if (info_window_) {
    info_window_.reset();
    SetActive(ID_INFO_WINDOW, false);
  } else {
    info_window_ = std::make_unique<WndShowExif2>(GetParent(hwnd_));
    if (info_window_->CreateAt(ButtonScreenRect(ID_INFO_WINDOW))) {
      SetActive(ID_INFO_WINDOW, true);
    } else {
      info_window_.reset();
    }
  }
  Invalidate();
}

void WndMainToolbar::PlaceInfoWindow() {
  if (info_window_ && info_window_->GetHWND()) {
    info_window_->PlaceAt(ButtonScreenRect(ID_INFO_WINDOW));
  }
}

LRESULT WndMainToolbar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case UM_EFFECT_CHOSEN:
      OnEffectChosen(static_cast<int>(wparam));
      return 0;
    case WM_DESTROY:
      CloseEffectWindow();
      info_window_.reset();
      SetActive(ID_INFO_WINDOW, false);
      break;
    default:
      break;
  }
  return CWidgetWindow::WindowProc(message, wparam, lparam);
}
