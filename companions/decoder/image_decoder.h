#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct IWICImagingFactory;

// A decoder of one file format working on the whole file in memory. Output
// is 32-bit B, G, R, A with straight alpha, rows top-down.
class CImageDecoder {
 public:
  // Larger pictures are refused before anything is allocated.
  static constexpr uint64_t kMaxPixels = uint64_t{1} << 27;

  virtual ~CImageDecoder() = default;

  // Checks the header; false when the data is not this format, claims an
  // unusable size, or is too short for the size it claims.
  virtual bool ReadHeader(const uint8_t* data, size_t size) = 0;
  // After ReadHeader: fills height() rows of stride bytes (at least
  // 4 x width()). False on damaged or truncated data.
  virtual bool Decode(uint8_t* pixels, size_t stride) = 0;

  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }

  // Refuses pictures of more than max_pixels (at most kMaxPixels) from the
  // next ReadHeader on; the fuzz build keeps its pictures small this way.
  void set_max_pixels(uint64_t max_pixels) {
    max_pixels_ = max_pixels < kMaxPixels ? max_pixels : kMaxPixels;
  }
  uint64_t max_pixels() const { return max_pixels_; }

  // What some files carry beside their pixels, valid after ReadHeader and
  // empty when absent: the EXIF block (the TIFF structure, from its byte
  // order mark on) and the embedded ICC colour profile.
  const std::vector<uint8_t>& exif() const { return exif_; }
  const std::vector<uint8_t>& icc_profile() const { return icc_profile_; }

 protected:
  // False when a side is 0 or the picture has more than max_pixels().
  bool SetSize(uint64_t width, uint64_t height);

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  std::vector<uint8_t> exif_;
  std::vector<uint8_t> icc_profile_;

 private:
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint64_t max_pixels_ = kMaxPixels;
};

// The decoder whose header check accepts the data, header read. Formats with
// a signature are recognised by it; TGA, which has none, only by its footer or
// by the file extension (without dot, any case); camera RAW files by LibRaw's
// own identification, tried last. The data must outlive the decoder. The WIC
// factory, when given, decodes the JPEG previews embedded in RAW files;
// without it those files are developed from their sensor data.
std::unique_ptr<CImageDecoder> CreateImageDecoder(const uint8_t* data, size_t size,
                                                  const std::wstring& extension,
                                                  IWICImagingFactory* factory = nullptr);

// A picture decoded into memory of its own, stride 4 x width.
struct CDecodedPixels {
  uint32_t width = 0;
  uint32_t height = 0;
  std::unique_ptr<uint8_t[]> bgra;
  std::vector<uint8_t> exif;
  std::vector<uint8_t> icc_profile;
};

// Decodes without the WIC bitmap the module hands out; used by the tests.
bool DecodeImageBytes(const uint8_t* data, size_t size, const std::wstring& extension,
                      CDecodedPixels* decoded, IWICImagingFactory* factory = nullptr);
