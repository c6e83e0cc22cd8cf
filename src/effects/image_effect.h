#pragma once

#include <windows.h>

#include <cstdint>

class FCObjImage;

// Told the driver's progress after each row. Returning false asks the driver
// to stop at the end of the current row; the driver then marks the observer
// stopped so its owner can tell a finished effect from a cancelled one.
class FCProgressObserver {
 public:
  virtual ~FCProgressObserver() = default;
  virtual bool OnProgress(int percent) = 0;

  bool IsStopped() const { return stopped_ != 0; }
  void MarkStopped() { stopped_ = 1; }

 private:
  int32_t stopped_ = 0;
};

// A pixel operation on an FCObjImage, run by RunEffect. An effect either
// works on the whole picture in one call or is called once per pixel.
class FCImageEffect {
 public:
  enum ProcessMode { kProcessWholeImage = 0, kProcessPerPixel = 1 };

  virtual ~FCImageEffect() = default;
  virtual bool CanProcess(const FCObjImage& image) const;
  virtual int GetProcessMode() const { return kProcessPerPixel; }
  virtual void BeginProcess(FCObjImage& /*image*/) {}
  // pixel is the address of pixel (x, y) of image.
  virtual void ApplyToPixel(FCObjImage& /*image*/, int /*x*/, int /*y*/, BYTE* /*pixel*/) {}
  virtual void ApplyToImage(FCObjImage& /*image*/, FCProgressObserver* /*observer*/) {}
};

// Runs effect over image; observer may be null. The driver does not own the
// effect.
void RunEffect(FCImageEffect& effect, FCObjImage& image, FCProgressObserver* observer);
