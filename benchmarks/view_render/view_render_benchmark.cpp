// Times the picture view on large photos: the first and the final fit
// bitmap, a zoom step redraw before and after the key frames arrive, a pan,
// and turning to the next picture of a folder. Prints the figures.
//
//   view_render_benchmark <folder> [view width] [view height]
//
// Every *.jpg of the folder is one picture of the folder, in name order.

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/message_pump.h"
#include "support/test_window.h"
#include "support/view_document.h"
#include "config/app_config.h"
#include "image/image_file_opener.h"
#include "image/wic_factory.h"
#include "view_render/d2d_support.h"
#include "view_render/pre_render_key_frame.h"
#include "view_render/view_document.h"
#include "view_render/view_messages.h"
#include "view_render/view_render.h"

namespace {

using test_support::CTestDocument;
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <class Done>
bool PumpUntil(Done done, DWORD timeout_ms = 120000) {
  return test_support::PumpUntil(done, timeout_ms);
}

HWND CreateHostWindow(int width, int height) {
  return test_support::CreateTestWindow(L"LumoraViewBenchmark", DefWindowProcW,
                                        WS_POPUP | WS_VISIBLE, width, height);
}

std::vector<std::wstring> PicturesOf(const std::wstring& folder) {
  std::vector<std::wstring> paths;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.jpg").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    return paths;
  }
  do {
    paths.push_back(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(paths.begin(), paths.end(), [](const std::wstring& a, const std::wstring& b) {
    return StrCmpLogicalW(a.c_str(), b.c_str()) < 0;
  });
  return paths;
}

struct FitTimes {
  double first_ms = -1;
  double final_ms = -1;
};

// Opens path and builds its view; the times run from the start of the open.
FitTimes OpenAndFit(CTestDocument& document, HWND host, int width, int height,
                    const std::wstring& path, std::unique_ptr<view_render::CViewRender>* view) {
  FitTimes times;
  const Clock::time_point start = Clock::now();
  document.Open(path);
  if (!document.GetLoader()) {
    return times;
  }
  *view = view_render::CViewRender::Create(document, nullptr, host, width, height, nullptr);
  auto* renderer = dynamic_cast<view_render::CPreRenderKeyFrame*>((*view)->renderer());
  PumpUntil([&] { return (*view)->GetFitBitmap(false) != nullptr; });
  times.first_ms = MillisecondsSince(start);
  PumpUntil([&] { return renderer && renderer->fit_final(); });
  times.final_ms = MillisecondsSince(start);
  return times;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: view_render_benchmark <folder of JPEG files> [width] [height]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const int width = argc > 2 ? _wtoi(argv[2]) : 1280;
  const int height = argc > 3 ? _wtoi(argv[3]) : 720;

  CoInitialize(nullptr);
  Gdiplus::GdiplusStartupInput gdiplus_input;
  ULONG_PTR gdiplus_token = 0;
  Gdiplus::GdiplusStartup(&gdiplus_token, &gdiplus_input, nullptr);
  CWICFactory::Create();
  CAppConfig::GetInstance();

  const std::vector<std::wstring> pictures = PicturesOf(folder);
  if (pictures.empty()) {
    fwprintf(stderr, L"no *.jpg in %ls\n", folder.c_str());
    return 1;
  }
  HWND host = CreateHostWindow(width, height);
  int exit_code = 0;
  {
    CTestDocument document;
    std::unique_ptr<view_render::CViewRender> view;

    // The decoder alone: the whole picture in memory.
    document.Open(pictures.front());
    const SIZE size = document.GetOrientedSize();
    Clock::time_point start = Clock::now();
    ComPtr<IWICBitmap> decoded = document.GetLoader()->GetBitmap(false);
    const double decode_ms = MillisecondsSince(start);
    decoded.Reset();
    wprintf(L"picture: %ld x %ld (%.1f megapixels), view %d x %d\n", size.cx, size.cy,
            size.cx * static_cast<double>(size.cy) / 1e6, width, height);
    wprintf(L"full decode in memory (WIC)        %8.1f ms\n", decode_ms);

    // Warm-up, so that the first figures do not carry one-time set-up.
    OpenAndFit(document, host, width, height, pictures.front(), &view);
    view.reset();

    const FitTimes first = OpenAndFit(document, host, width, height, pictures.front(), &view);
    if (first.final_ms < 0) {
      fwprintf(stderr, L"cannot open %ls\n", pictures.front().c_str());
      exit_code = 1;
    } else {
      wprintf(L"open to first fit bitmap           %8.1f ms\n", first.first_ms);
      wprintf(L"open to final fit bitmap           %8.1f ms\n", first.final_ms);
      printf("figure view_open_final_ms %.3f\n", first.final_ms);

      // Direct2D's start-up is paid by the first zoom of the process.
      start = Clock::now();
      view_render::CreateZoomRenderTarget(false);
      wprintf(L"Direct2D render target, first one  %8.1f ms\n", MillisecondsSince(start));
      start = Clock::now();
      view_render::CreateZoomRenderTarget(false);
      wprintf(L"Direct2D render target, later ones %8.1f ms\n", MillisecondsSince(start));

      auto* renderer = dynamic_cast<view_render::CPreRenderKeyFrame*>(view->renderer());
      const int centre_x = width / 2;
      const int centre_y = height / 2;
      const Clock::time_point zoom_start = Clock::now();
      view->ZoomStep(1, centre_x, centre_y);
      const double first_zoom_ms = MillisecondsSince(zoom_start);
      wprintf(L"zoom step redraw, first beyond fit %8.1f ms (%ls)\n", first_zoom_ms,
              renderer && renderer->last_drawn_ratio() > 0 ? L"picture shown" : L"nothing shown");
      PumpUntil([&] { return renderer && renderer->frame_2x() != nullptr; });
      const double first_sharp_ms = MillisecondsSince(zoom_start);
      wprintf(L"first zoom beyond fit, sharp after %8.1f ms\n", first_sharp_ms);
      start = Clock::now();
      view->ZoomStep(1, centre_x, centre_y);
      wprintf(L"zoom step redraw, from fit frame   %8.1f ms\n", MillisecondsSince(start));
      PumpUntil([&] { return renderer && renderer->frame_full() != nullptr; });
      const double key_frames_ms = MillisecondsSince(zoom_start);
      wprintf(L"all key frames ready after         %8.1f ms\n", key_frames_ms);
      printf("figure first_zoom_shown_ms %.3f\n", first_zoom_ms);
      printf("figure first_zoom_sharp_ms %.3f\n", first_sharp_ms);
      printf("figure key_frames_ms %.3f\n", key_frames_ms);

      constexpr int kSteps = 20;
      start = Clock::now();
      for (int i = 0; i < kSteps; ++i) {
        view->ZoomStep(i < kSteps / 2 ? 1 : -1, centre_x, centre_y);
      }
      const double step_ms = MillisecondsSince(start) / kSteps;
      wprintf(L"zoom step redraw, from key frames  %8.1f ms (mean of %d)\n", step_ms, kSteps);
      printf("figure zoom_step_ms %.3f\n", step_ms);

      view->ZoomTo(1.0f, centre_x, centre_y);
      start = Clock::now();
      for (int i = 0; i < kSteps; ++i) {
        view->Pan(i % 2 ? 40 : -40, i % 2 ? 25 : -25);
      }
      wprintf(L"pan redraw at 100 %%                %8.1f ms (mean of %d)\n",
              MillisecondsSince(start) / kSteps, kSteps);

      HDC screen = GetDC(host);
      start = Clock::now();
      for (int i = 0; i < kSteps; ++i) {
        view->Paint(screen, width, height, false);
      }
      GdiFlush();
      ReleaseDC(host, screen);
      wprintf(L"window paint from the buffer       %8.1f ms (mean of %d)\n",
              MillisecondsSince(start) / kSteps, kSteps);

      // Turning pages: every picture after the first, one after another.
      std::vector<double> next_first;
      std::vector<double> next_final;
      for (size_t i = 1; i < pictures.size(); ++i) {
        view.reset();
        const FitTimes next = OpenAndFit(document, host, width, height, pictures[i], &view);
        next_first.push_back(next.first_ms);
        next_final.push_back(next.final_ms);
      }
      if (!next_final.empty()) {
        auto mean = [](const std::vector<double>& values) {
          double sum = 0;
          for (double v : values) {
            sum += v;
          }
          return sum / static_cast<double>(values.size());
        };
        wprintf(L"next picture, first fit bitmap     %8.1f ms (mean of %u)\n", mean(next_first),
                static_cast<unsigned>(next_first.size()));
        wprintf(L"next picture, final fit bitmap     %8.1f ms (mean of %u, slowest %.1f)\n",
                mean(next_final), static_cast<unsigned>(next_final.size()),
                *std::max_element(next_final.begin(), next_final.end()));
      }
    }
    view.reset();
  }
  DestroyWindow(host);
  view_render::CD2DFactory::Release();
  CWICFactory::Release();
  CAppConfig::DestroyInstance();
  Gdiplus::GdiplusShutdown(gdiplus_token);
  CoUninitialize();
  return exit_code;
}
