#include "widgets/main_view/main_view_items.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

#include "effects/effect_fill_current_alpha.h"
#include "effects/effect_mirror.h"
#include "effects/image_effect.h"
#include "widgets/widget_window.h"

namespace main_view {

namespace {

constexpr UINT kFadeTickMs = 10;
constexpr int kFadeStep = 10;
constexpr UINT kLoadingTickMs = 100;
constexpr int kArrowBand = 5;

}  // namespace

CTurnPageItem::CTurnPageItem(int32_t item_id, const CWnd* owner, const FCObjImage& source,
                             bool mirrored)
    : owner_(owner), source_(source) {
  id = item_id;
  if (mirrored && source_.IsValid()) {
    FCEffectMirror mirror;
    RunEffect(mirror, source_, nullptr);
  }
}

void CTurnPageItem::StartFade(int step) {
  alpha_step_ = step;
  Start(kFadeTickMs);
}

void CTurnPageItem::OnHoverEnter() { StartFade(kFadeStep); }

void CTurnPageItem::OnHoverLeave() { StartFade(-kFadeStep); }

void CTurnPageItem::OnTimer() {
  alpha_ = std::clamp(alpha_ + alpha_step_, 0, 100);
  if (alpha_ == 0 || alpha_ == 100) {
    Stop();
  }
  display_ = source_;
  if (display_.IsValid() && display_.ColorBits() == 32) {
    CEffectFillCurrentAlpha fade(alpha_);
    RunEffect(fade, display_, nullptr);
  }
  if (owner_ && owner_->IsWindow()) {
    owner_->InvalidateRect(rect);
  }
}

void CTurnPageItem::Draw(HDC dc) {
  if (alpha_ <= 0 || !display_.IsValid() || display_.Height() < 2 * kArrowBand) {
    return;
  }
  // The middle band keeps its height, centred; the 5-pixel edge bands are
  // stretched over the space above and below it.
  const int w = Width();
  const int h = Height();
  const int pic_w = display_.Width();
  const int pic_h = display_.Height();
  const int middle = pic_h - 2 * kArrowBand;
  const int middle_top = (h - middle) / 2;
  const RECT top_src = {0, 0, pic_w, kArrowBand};
  const RECT middle_src = {0, kArrowBand, pic_w, pic_h - kArrowBand};
  const RECT bottom_src = {0, pic_h - kArrowBand, pic_w, pic_h};
  display_.DrawTo(dc, {0, 0, w, middle_top}, &top_src);
  if (middle > 0) {
    display_.DrawTo(dc, {0, middle_top, w, middle_top + middle}, &middle_src);
  }
  display_.DrawTo(dc, {0, middle_top + middle, w, h}, &bottom_src);
}

CLoadingGifItem::CLoadingGifItem(const CWnd* owner, const FCObjImage& strip)
    : owner_(owner), strip_(strip) {
  id = kLoading;
  SetFlag(kEnabled, false);
  const int side = strip_.Height();
  frame_ = {0, 0, side, side};
  if (side > 0) {
    Start(kLoadingTickMs);
  }
}

void CLoadingGifItem::OnTimer() {
  const int side = strip_.Height();
  OffsetRect(&frame_, side, 0);
  if (frame_.right > strip_.Width()) {
    frame_ = {0, 0, side, side};
  }
  if (owner_ && owner_->IsWindow()) {
    owner_->InvalidateRect(rect);
  }
}

void CLoadingGifItem::Draw(HDC dc) {
  const int side = strip_.Height();
  if (side <= 0) {
    return;
  }
  int size = side;
  const int room = std::min(Width(), Height());
  if (size > room) {
    size = std::max(room, 1);
  }
  const int x = (Width() - size) / 2;
  const int y = (Height() - size) / 2;
  strip_.DrawTo(dc, {x, y, x + size, y + size}, &frame_);
}

CLoadErrorItem::CLoadErrorItem(const std::wstring& file_name, const std::wstring& error_text)
    : file_name_(file_name), error_text_(error_text) {
  id = kLoadError;
  SetFlag(kEnabled, false);
  LOGFONTW face = {};
  GetObjectW(CWidgetWindow::DefaultUIFont(), sizeof(face), &face);
  face.lfHeight = -MulDiv(12, GetDeviceCaps(CClientDC(nullptr), LOGPIXELSY), 72);
  face.lfWidth = 0;
  font_.CreateFontIndirect(face);
}

void CLoadErrorItem::Draw(HDC dc) {
  CSelectObject select(dc, font_);
  SetTextColor(dc, RGB(105, 105, 105));
  SetBkMode(dc, TRANSPARENT);
  RECT upper = {0, 0, Width(), Height() / 2};
  RECT lower = {0, Height() / 2, Width(), Height()};
  DrawTextW(dc, file_name_.c_str(), -1, &upper,
            DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
  DrawTextW(dc, error_text_.c_str(), -1, &lower, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

CTipItem::CTipItem(int32_t item_id, const FCObjImage& background, const std::wstring& text)
    : background_(background), text_(text) {
  id = item_id;
}

void CTipItem::Draw(HDC dc) {
  background_.DrawTo(dc, {0, 0, Width(), Height()});
  Gdiplus::Graphics graphics(dc);
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  Gdiplus::FontFamily family(L"微软雅黑");
  Gdiplus::Font font(family.IsAvailable() ? &family : Gdiplus::FontFamily::GenericSansSerif(), 18,
                     Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
  Gdiplus::StringFormat format;
  format.SetAlignment(Gdiplus::StringAlignmentCenter);
  format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
  // The viewport origin carries the item's position; GDI+ takes it from the DC.
  const Gdiplus::RectF box(0, 0, static_cast<Gdiplus::REAL>(Width()),
                           static_cast<Gdiplus::REAL>(Height()));
  graphics.DrawString(text_.c_str(), static_cast<INT>(text_.size()), &font, box, &format, &white);
}

CWelcomeOpenItem::CWelcomeOpenItem(const FCObjImage& strip) : strip_(strip) { id = kWelcomeOpen; }

SIZE CWelcomeOpenItem::ButtonSize() const { return {strip_.Width() / 3, strip_.Height()}; }

void CWelcomeOpenItem::Draw(HDC dc) {
  const SIZE cell = ButtonSize();
  if (cell.cx <= 0) {
    return;
  }
  const int state = IsPressed() ? 2 : IsHot() ? 1 : 0;
  const RECT source = {state * cell.cx, 0, (state + 1) * cell.cx, cell.cy};
  strip_.DrawTo(dc, {0, 0, Width(), Height()}, &source);
}

CWelcomeSlogonItem::CWelcomeSlogonItem(const FCObjImage& picture) : picture_(picture) {
  id = kWelcomeSlogan;
}

void CWelcomeSlogonItem::Draw(HDC dc) { picture_.DrawTo(dc, {0, 0, Width(), Height()}); }

}  // namespace main_view
