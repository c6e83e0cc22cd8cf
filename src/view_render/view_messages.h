#pragma once

#include <windows.h>

namespace view_render {

// To a key-frame renderer's message window: zoom key frames are ready;
// wParam the CAsyncCreateZoomContext (progress and completion).
constexpr UINT UM_ZOOM_CONTEXT_READY = 33269;
// Posted to the view window when the first fit bitmap arrives (wParam and
// lParam 0): the view removes its loading item. wParam kFitBitmapFailed says
// that none could be made (the file's pixels cannot be decoded), so the view
// shows its load error instead of loading for ever.
constexpr UINT UM_FIT_BITMAP_ARRIVED = 33270;
constexpr WPARAM kFitBitmapFailed = 1;
// To a key-frame renderer's message window from the neighbour preload of the
// same picture: the thumbnail cache may now hold it (wParam and lParam 0).
constexpr UINT UM_SYSTEM_CACHE_READY = 33272;
// To a key-frame renderer's message window: a fit bitmap is ready; wParam the
// CAsyncCreateFitView.
constexpr UINT UM_FIT_VIEW_READY = 33274;
// To an animation renderer's message window: the frames are decoded; wParam
// the CAsyncLoadAnimation.
constexpr UINT UM_ANIMATION_LOADED = 33275;
// The window timer of an animation renderer's message window.
constexpr UINT_PTR kAnimationTimerId = 100;

}  // namespace view_render
