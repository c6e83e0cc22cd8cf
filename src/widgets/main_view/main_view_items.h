#pragma once

#include <windows.h>

#include <string>

#include "framework/gdi_objects.h"
#include "framework/wnd.h"
#include "image/obj_image.h"
#include "widgets/timer_notify.h"
#include "widgets/widget_item.h"

namespace main_view {

// Item ids of the picture view.
enum ItemId : int32_t {
  kPreviousArrow = 100,
  kNextArrow = 101,
  kLoadError = 102,
  kLoading = 103,
  kWelcomeOpen = 105,
  kWelcomeSlogan = 106,
  kFileMissingTip = 107,
  kSavingTip = 108,
};

// A page-turn arrow that fades in while the pointer is over it and out when
// it leaves. Invisible until first touched.
class CTurnPageItem : public CWidgetItem, public FCTimerNotify {
 public:
  // source has straight alpha; mirrored makes the next-picture arrow.
  CTurnPageItem(int32_t item_id, const CWnd* owner, const FCObjImage& source, bool mirrored);

  void OnHoverEnter() override;
  void OnHoverLeave() override;
  void OnTimer() override;
  void Draw(HDC dc) override;

  int alpha() const { return alpha_; }
  int picture_width() const { return source_.Width(); }

 private:
  void StartFade(int step);

  const CWnd* owner_;
  FCObjImage source_;
  FCObjImage display_;
  int alpha_ = 0;
  int alpha_step_ = 0;
};

// The loading animation: square frames of a horizontal strip in turn.
class CLoadingGifItem : public CWidgetItem, public FCTimerNotify {
 public:
  CLoadingGifItem(const CWnd* owner, const FCObjImage& strip);
  void OnTimer() override;
  void Draw(HDC dc) override;
  const RECT& frame() const { return frame_; }

 private:
  const CWnd* owner_;
  FCObjImage strip_;
  RECT frame_ = {};
};

// The file name and the load-error text of a picture that could not be decoded.
class CLoadErrorItem : public CWidgetItem {
 public:
  CLoadErrorItem(const std::wstring& file_name, const std::wstring& error_text);
  void Draw(HDC dc) override;

 private:
  CFont font_;
  std::wstring file_name_;
  std::wstring error_text_;
};

// A box with a stretched background and a centred white text.
class CTipItem : public CWidgetItem {
 public:
  CTipItem(int32_t item_id, const FCObjImage& background, const std::wstring& text);
  void Draw(HDC dc) override;

 private:
  FCObjImage background_;
  std::wstring text_;
};

// The welcome screen's open button: a strip of normal, hot and pressed.
class CWelcomeOpenItem : public CWidgetItem {
 public:
  explicit CWelcomeOpenItem(const FCObjImage& strip);
  void Draw(HDC dc) override;
  SIZE ButtonSize() const;

 private:
  FCObjImage strip_;
};

// The welcome screen's slogan picture.
class CWelcomeSlogonItem : public CWidgetItem {
 public:
  explicit CWelcomeSlogonItem(const FCObjImage& picture);
  void Draw(HDC dc) override;
  SIZE PictureSize() const { return {picture_.Width(), picture_.Height()}; }

 private:
  FCObjImage picture_;
};

}  // namespace main_view
