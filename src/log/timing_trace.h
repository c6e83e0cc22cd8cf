#pragma once

#include <string>

// A timing trace of the moments that make the viewer feel fast: when a
// picture was asked for, first shown and shown sharp. Off unless the
// environment variable LUMORA_TIMING_TRACE names a file, or a file named
// "timing_trace.txt" lies beside the program; then each event appends one
// line to that file:
//
//   <ms since the process was created> <wall-clock ms since 1970> <event> <path>
//
// Events: "window" (the main window's first paint), "asked" (a picture is
// opened), "loading" (the loading animation is put up), "first" (the picture
// is first drawn, blurred or sharp), "sharp" (drawn at full quality for its
// zoom), "preloaded" (a neighbour's fit view was rendered ahead and kept). Safe to call from any
// thread; costs one check when off.
namespace timing_trace {

bool Enabled();
// Appends one event line; path may be empty.
void Record(const char* event, const std::wstring& path = std::wstring());

// The per-picture events of the view: each is recorded once per asked
// picture. User-interface thread only.
void PictureAsked(const std::wstring& path);
void PictureDrawn(bool sharp);
void LoadingShown();

}  // namespace timing_trace
