#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>

#include "image/obj_image.h"
#include "popup_dialog/effect_wnd.h"
#include "popup_dialog/wnd_show_exif2.h"
#include "widgets/toolbar_button2.h"
#include "widgets/ui_event.h"
#include "widgets/widget_item.h"
#include "widgets/widget_layout.h"
#include "widgets/widget_window.h"

namespace wnd_main_toolbar {

// A 34 by 34 toolbar button drawn from a cell of the shared sprite: its own
// column, in row 0 normally, row 1 while hot, pressed or active, row 2 while
// disabled.
class CToolbarButton : public CWidgetItem {
 public:
  CToolbarButton(int32_t command_id, int32_t group, std::shared_ptr<FCObjImage> sprite,
                 int sprite_column);
  void Draw(HDC dc) override;
  int SpriteRow() const;
  int sprite_column() const { return sprite_column_; }
  void set_sprite_column(int column) { sprite_column_ = column; }

  static constexpr int kCell = 34;

 private:
  std::shared_ptr<FCObjImage> sprite_;
  int sprite_column_;
};

// Places the buttons in a row 13 to 47: the left group from x 10, the right
// group ending 10 pixels from the right edge, the centre group centred and
// moved 65 pixels left, with 12-pixel gaps between its buttons.
class CToolbarButtonLayout : public CWidgetLayout {
 public:
  void Layout(HWND window, std::deque<CWidgetItem*>& items) override;
  static void PlaceButtons(const RECT& client, std::deque<CWidgetItem*>& items);
};

// What the enabled states of the buttons follow.
struct PictureState {
  bool loaded = false;        // the document holds a decoded picture
  bool has_gps = false;       // its metadata has a position
  bool animated_gif = false;  // a GIF of two or more frames
  bool has_previous = false;  // the folder list has a picture before it
  bool has_next = false;      // and after it
  bool file_exists = false;   // the document's path names an existing file
};

// Whether the button with command id is enabled in state.
bool IsButtonEnabled(int32_t id, const PictureState& state);

}  // namespace wnd_main_toolbar

// The main window's strip of icon buttons. Each button posts its command to
// the parent window; the enabled states follow the shown picture through the
// user-interface events. It owns the two popups its buttons open, the
// display enhancement chooser and the picture information window, and marks
// their buttons active while they are open (and the enhancement's while one
// is switched on).
class WndMainToolbar : public CWidgetWindow, public CUIEventObserver {
 public:
  using StateProvider = std::function<wnd_main_toolbar::PictureState()>;
  // Sends a statistics event (category, name).
  using StatReporter = std::function<void(const wchar_t*, const wchar_t*)>;

  // Reads the state of the picture when asked; the main window gives one
  // over the document and the folder list.
  explicit WndMainToolbar(StateProvider provider);
  ~WndMainToolbar() override;

  void set_stat_reporter(StatReporter reporter) { stat_reporter_ = std::move(reporter); }

  void OnUIEvent(const CUIEventParam& event) override;
  void OnItemClick(CWidgetItem* item) override;
  void DrawBackground(HDC dc, const RECT& paint_rect) override;

  // Enables the buttons for the current picture, resets the fit toggle and
  // registers the tooltips again.
  void RefreshAll();
  // Flips button 20002 between actual size (column 0) and fit (column 12).
  void ToggleActualSize();
  // The full-screen tooltip key: 16 entering full screen, 15 leaving.
  void SetFullScreenTooltip(bool full_screen);

  // Command 20011: switches an active enhancement off, or opens the chooser
  // 100 pixels left of and 126 above the button. Sends the "enhance"
  // statistic either way.
  void OnEffectCommand();
  // The chooser's answer (UM_EFFECT_CHOSEN): the mode becomes current and
  // the view is redrawn (command 21802); 0 switches the enhancement off.
  void OnEffectChosen(int mode);
  // Command 20000: closes the information window, or opens it at the
  // information button.
  void OnInfoCommand();
  // Moves an open information window to the button's place on the screen.
  void PlaceInfoWindow();
  // A button's rectangle in screen coordinates.
  RECT ButtonScreenRect(int32_t id) const;

  CEffectWnd* effect_window() const { return effect_window_.get(); }
  WndShowExif2* info_window() const { return info_window_.get(); }

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  wnd_main_toolbar::CToolbarButton* button(int32_t id) const;

  // The creation order: command id, group, sprite column, tooltip key.
  struct ButtonSpec {
    int32_t id;
    int32_t group;
    int column;
    int tooltip_key;
  };
  static const ButtonSpec kButtons[13];
  static constexpr int kFitColumn = 12;
  static constexpr int kHeight = 60;

 private:
  void RegisterTooltips();
  void UpdateNeighbourButtons();
  void CloseEffectWindow();
  void SetActive(int32_t id, bool active);
  void Report(const wchar_t* category, const wchar_t* name);

  StateProvider provider_;
  StatReporter stat_reporter_;
  std::shared_ptr<FCObjImage> sprite_;
  std::unique_ptr<CEffectWnd> effect_window_;
  std::unique_ptr<WndShowExif2> info_window_;
};
