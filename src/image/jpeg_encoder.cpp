#include "image/jpeg_encoder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>

#include "framework/com_ptr.h"
#include "image/wic_factory.h"

namespace {

constexpr UINT kMaxSide = 65535;
// From this quality on colour keeps its full resolution, as a file saved
// this well (a rotation saved back) is meant to lose as little as it can.
constexpr int kFullColourQuality = 90;

const int kLuminanceBase[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
const int kChrominanceBase[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The natural position of each zigzag position.
const uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The Huffman tables of the standard's annex K: code counts per length,
// then the symbols in code order.
struct CHuffmanTable {
  uint8_t counts[16];
  std::vector<uint8_t> symbols;
};

const CHuffmanTable kDcLuminance = {{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
                                    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
const CHuffmanTable kDcChrominance = {{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
                                      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
const CHuffmanTable kAcLuminance = {
    {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
    {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
     0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
     0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
     0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
     0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
     0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
     0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
     0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
     0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
     0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
     0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa}};
const CHuffmanTable kAcChrominance = {
    {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
    {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
     0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
     0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
     0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
     0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
     0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
     0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
     0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
     0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
     0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
     0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa}};

// Code and length of every symbol of one table.
struct CHuffmanCodes {
  uint16_t code[256] = {};
  uint8_t length[256] = {};

  explicit CHuffmanCodes(const CHuffmanTable& table) {
    uint16_t next = 0;
    size_t k = 0;
    for (int bits = 1; bits <= 16; ++bits) {
      for (int i = 0; i < table.counts[bits - 1] && k < table.symbols.size(); ++i, ++k) {
        code[table.symbols[k]] = next++;
        length[table.symbols[k]] = static_cast<uint8_t>(bits);
      }
      next = static_cast<uint16_t>(next << 1);
    }
  }
};

// The DCT of the Arai, Agui and Nakajima factorisation leaves each output
// scaled by these factors (times 8), taken out again when quantising.
const double kAanScale[8] = {1.0, 1.387039845, 1.306562965, 1.175875602,
                             1.0, 0.785694958, 0.541196100, 0.275899379};

void ForwardDct8(float* d, int step) {
  const float t0 = d[0] + d[7 * step], t7 = d[0] - d[7 * step];
  const float t1 = d[step] + d[6 * step], t6 = d[step] - d[6 * step];
  const float t2 = d[2 * step] + d[5 * step], t5 = d[2 * step] - d[5 * step];
  const float t3 = d[3 * step] + d[4 * step], t4 = d[3 * step] - d[4 * step];

  float t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
  d[0] = t10 + t11;
  d[4 * step] = t10 - t11;
  const float z1 = (t12 + t13) * 0.707106781f;
  d[2 * step] = t13 + z1;
  d[6 * step] = t13 - z1;

  t10 = t4 + t5;
  t11 = t5 + t6;
  t12 = t6 + t7;
  const float z5 = (t10 - t12) * 0.382683433f;
  const float z2 = 0.541196100f * t10 + z5;
  const float z4 = 1.306562965f * t12 + z5;
  const float z3 = t11 * 0.707106781f;
  const float z11 = t7 + z3, z13 = t7 - z3;
  d[5 * step] = z13 + z2;
  d[3 * step] = z13 - z2;
  d[step] = z11 + z4;
  d[7 * step] = z11 - z4;
}

// Collects the file's bytes and hands them to the stream in large pieces.
class CByteSink {
 public:
  explicit CByteSink(IStream* out) : out_(out) { buffer_.reserve(kChunk + 16); }

  void Byte(uint8_t value) {
    buffer_.push_back(value);
    if (buffer_.size() >= kChunk) {
      Flush();
    }
  }
  void Word(uint16_t value) {
    Byte(static_cast<uint8_t>(value >> 8));
    Byte(static_cast<uint8_t>(value));
  }
  void Bytes(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      Byte(data[i]);
    }
  }
  bool Flush() {
    if (ok_ && !buffer_.empty()) {
      ULONG written = 0;
      ok_ = SUCCEEDED(out_->Write(buffer_.data(), static_cast<ULONG>(buffer_.size()), &written)) &&
            written == buffer_.size();
    }
    buffer_.clear();
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  static constexpr size_t kChunk = 1 << 16;
  IStream* out_;
  std::vector<uint8_t> buffer_;
  bool ok_ = true;
};

// Entropy-coded data: bits packed high first, 0xFF followed by a zero byte.
class CBitWriter {
 public:
  explicit CBitWriter(CByteSink& sink) : sink_(sink) {}

  void Put(uint32_t bits, int count) {
    bits_ = (bits_ << count) | (bits & ((1u << count) - 1));
    count_ += count;
    while (count_ >= 8) {
      const uint8_t byte = static_cast<uint8_t>(bits_ >> (count_ - 8));
      sink_.Byte(byte);
      if (byte == 0xFF) {
        sink_.Byte(0);
      }
      count_ -= 8;
    }
  }
  // Pads the last byte with ones.
  void Finish() {
    if (count_ > 0) {
      Put(0x7F, 8 - count_);
    }
  }

 private:
  CByteSink& sink_;
  uint32_t bits_ = 0;
  int count_ = 0;
};

int BitCount(int value) {
  int magnitude = value < 0 ? -value : value;
  int bits = 0;
  while (magnitude) {
    ++bits;
    magnitude >>= 1;
  }
  return bits;
}

class CBlockCoder {
 public:
  CBlockCoder(const uint8_t* table, const CHuffmanCodes& dc, const CHuffmanCodes& ac)
      : dc_(dc), ac_(ac) {
    for (int v = 0; v < 8; ++v) {
      for (int u = 0; u < 8; ++u) {
        divisor_[v * 8 + u] =
            static_cast<float>(table[v * 8 + u] * kAanScale[v] * kAanScale[u] * 8.0);
      }
    }
  }

  // block holds level-shifted samples in natural order; it is transformed
  // in place.
  void Code(float* block, CBitWriter& writer) {
    for (int row = 0; row < 8; ++row) {
      ForwardDct8(block + row * 8, 1);
    }
    for (int column = 0; column < 8; ++column) {
      ForwardDct8(block + column, 8);
    }
    int quantised[64];
    for (int i = 0; i < 64; ++i) {
      quantised[i] = static_cast<int>(std::floor(block[i] / divisor_[i] + 0.5f));
    }
    const int dc = std::clamp(quantised[0], -2047, 2047);
    const int difference = dc - previous_dc_;
    previous_dc_ = dc;
    PutValue(dc_, 0, difference, writer);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
      const int value = std::clamp(quantised[kZigzag[k]], -1023, 1023);
      if (value == 0) {
        ++run;
        continue;
      }
      while (run > 15) {
        writer.Put(ac_.code[0xF0], ac_.length[0xF0]);
        run -= 16;
      }
      PutValue(ac_, run, value, writer);
      run = 0;
    }
    if (run > 0) {
      writer.Put(ac_.code[0x00], ac_.length[0x00]);
    }
  }

 private:
  static void PutValue(const CHuffmanCodes& codes, int run, int value, CBitWriter& writer) {
    const int size = BitCount(value);
    const int symbol = (run << 4) | size;
    writer.Put(codes.code[symbol], codes.length[symbol]);
    if (size > 0) {
      writer.Put(static_cast<uint32_t>(value < 0 ? value + (1 << size) - 1 : value), size);
    }
  }

  const CHuffmanCodes& dc_;
  const CHuffmanCodes& ac_;
  float divisor_[64] = {};
  int previous_dc_ = 0;
};

void WriteHeaders(CByteSink& sink, UINT width, UINT height, bool subsampled,
                  const uint8_t* luminance, const uint8_t* chrominance,
                  const std::vector<uint8_t>& icc_profile) {
  sink.Word(0xFFD8);
  static const uint8_t kJfif[] = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  sink.Word(0xFFE0);
  sink.Word(2 + sizeof(kJfif));
  sink.Bytes(kJfif, sizeof(kJfif));

  // The profile in numbered pieces, each fitting one segment.
  static const uint8_t kIccName[] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
  constexpr size_t kPiece = 65535 - 2 - sizeof(kIccName) - 2;
  const size_t pieces = (icc_profile.size() + kPiece - 1) / kPiece;
  if (pieces > 0 && pieces <= 255) {
    for (size_t i = 0; i < pieces; ++i) {
      const size_t offset = i * kPiece;
      const size_t size = std::min(kPiece, icc_profile.size() - offset);
      sink.Word(0xFFE2);
      sink.Word(static_cast<uint16_t>(2 + sizeof(kIccName) + 2 + size));
      sink.Bytes(kIccName, sizeof(kIccName));
      sink.Byte(static_cast<uint8_t>(i + 1));
      sink.Byte(static_cast<uint8_t>(pieces));
      sink.Bytes(icc_profile.data() + offset, size);
    }
  }

  sink.Word(0xFFDB);
  sink.Word(2 + 2 * 65);
  for (int id = 0; id < 2; ++id) {
    const uint8_t* table = id == 0 ? luminance : chrominance;
    sink.Byte(static_cast<uint8_t>(id));
    for (int k = 0; k < 64; ++k) {
      sink.Byte(table[kZigzag[k]]);
    }
  }

  sink.Word(0xFFC0);
  sink.Word(17);
  sink.Byte(8);
  sink.Word(static_cast<uint16_t>(height));
  sink.Word(static_cast<uint16_t>(width));
  sink.Byte(3);
  const uint8_t components[3][3] = {
      {1, static_cast<uint8_t>(subsampled ? 0x22 : 0x11), 0}, {2, 0x11, 1}, {3, 0x11, 1}};
  for (const auto& component : components) {
    sink.Bytes(component, 3);
  }

  const struct {
    uint8_t id;
    const CHuffmanTable* definition;
  } tables[] = {{0x00, &kDcLuminance},
                {0x10, &kAcLuminance},
                {0x01, &kDcChrominance},
                {0x11, &kAcChrominance}};
  size_t length = 2;
  for (const auto& table : tables) {
    length += 1 + 16 + table.definition->symbols.size();
  }
  sink.Word(0xFFC4);
  sink.Word(static_cast<uint16_t>(length));
  for (const auto& table : tables) {
    sink.Byte(table.id);
    sink.Bytes(table.definition->counts, 16);
    sink.Bytes(table.definition->symbols.data(), table.definition->symbols.size());
  }

  sink.Word(0xFFDA);
  sink.Word(12);
  sink.Byte(3);
  const uint8_t selectors[3][2] = {{1, 0x00}, {2, 0x11}, {3, 0x11}};
  for (const auto& selector : selectors) {
    sink.Bytes(selector, 2);
  }
  sink.Byte(0);
  sink.Byte(63);
  sink.Byte(0);
}

std::atomic<int> g_probe_override{-1};

// The first quantisation table of a JPEG in memory; empty when none.
std::vector<uint8_t> FirstTable(IStream* stream) {
  HGLOBAL memory = nullptr;
  STATSTG stat = {};
  if (FAILED(GetHGlobalFromStream(stream, &memory)) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
    return {};
  }
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
  std::vector<uint8_t> file(bytes, bytes + static_cast<size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  for (size_t i = 0; i + 5 + 64 <= file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xDB) {
      return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(i) + 5,
                                  file.begin() + static_cast<std::ptrdiff_t>(i) + 5 + 64);
    }
  }
  return {};
}

std::vector<uint8_t> PlatformTableAt(float quality) {
  try {
    IWICImagingFactory* factory = CWICFactory::Get();
    if (!factory) {
      return {};
    }
    ComPtr<IWICBitmap> bitmap;
    ThrowIfFailed(factory->CreateBitmap(16, 16, GUID_WICPixelFormat24bppBGR, WICBitmapCacheOnLoad,
                                        bitmap.Receive()));
    ComPtr<IStream> stream;
    ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
    ComPtr<IWICBitmapEncoder> encoder;
    ThrowIfFailed(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Receive()));
    ThrowIfFailed(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    ThrowIfFailed(encoder->CreateNewFrame(frame.Receive(), options.Receive()));
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = quality;
    ThrowIfFailed(options->Write(1, &option, &value));
    ThrowIfFailed(frame->Initialize(options.Get()));
    ThrowIfFailed(frame->WriteSource(bitmap.Get(), nullptr));
    ThrowIfFailed(frame->Commit());
    ThrowIfFailed(encoder->Commit());
    return FirstTable(stream.Get());
  } catch (const CComError&) {
    return {};
  }
}

}  // namespace

void CJpegEncoder::ScaledTable(bool chrominance, int quality, uint8_t table[64]) {
  quality = std::clamp(quality, 1, 100);
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  const int* base = chrominance ? kChrominanceBase : kLuminanceBase;
  for (int i = 0; i < 64; ++i) {
    table[i] = static_cast<uint8_t>(std::clamp((base[i] * scale + 50) / 100, 1, 255));
  }
}

bool CJpegEncoder::HuffmanTablesAreComplete() {
  auto complete = [](const CHuffmanTable& table, bool ac) {
    size_t total = 0;
    for (uint8_t count : table.counts) {
      total += count;
    }
    std::set<uint8_t> symbols(table.symbols.begin(), table.symbols.end());
    if (total != table.symbols.size() || symbols.size() != table.symbols.size()) {
      return false;
    }
    if (!ac) {
      return symbols.size() == 12 && *symbols.rbegin() == 11;
    }
    for (int run = 0; run < 16; ++run) {
      for (int size = 1; size <= 10; ++size) {
        if (!symbols.count(static_cast<uint8_t>(run << 4 | size))) {
          return false;
        }
      }
    }
    return symbols.count(0x00) && symbols.count(0xF0);
  };
  return complete(kDcLuminance, false) && complete(kDcChrominance, false) &&
         complete(kAcLuminance, true) && complete(kAcChrominance, true);
}

bool CJpegEncoder::Encode(IWICBitmapSource* source, int quality,
                          const std::vector<uint8_t>& icc_profile, IStream* out) {
  try {
    if (!source || !out) {
      return false;
    }
    ComPtr<IWICBitmapSource> bgr;
    ThrowIfFailed(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, source, bgr.Receive()));
    UINT width = 0;
    UINT height = 0;
    ThrowIfFailed(bgr->GetSize(&width, &height));
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
      return false;
    }
    uint8_t luminance[64];
    uint8_t chrominance[64];
    ScaledTable(false, quality, luminance);
    ScaledTable(true, quality, chrominance);

    const bool subsampled = quality < kFullColourQuality;
    CByteSink sink(out);
    WriteHeaders(sink, width, height, subsampled, luminance, chrominance, icc_profile);
    static const CHuffmanCodes dc_luminance(kDcLuminance), ac_luminance(kAcLuminance),
        dc_chrominance(kDcChrominance), ac_chrominance(kAcChrominance);
    CBlockCoder y_coder(luminance, dc_luminance, ac_luminance);
    CBlockCoder cb_coder(chrominance, dc_chrominance, ac_chrominance);
    CBlockCoder cr_coder(chrominance, dc_chrominance, ac_chrominance);
    CBitWriter writer(sink);

    // One strip of units (16 rows with subsampled colour, else 8) at a
    // time; the last row and column repeat into the padding of partial
    // units.
    const UINT unit = subsampled ? 16 : 8;
    const UINT stride = width * 3;
    const UINT padded_width = (width + unit - 1) / unit * unit;
    std::vector<uint8_t> strip(size_t{stride} * unit);
    std::vector<float> planes[3];
    for (auto& plane : planes) {
      plane.resize(size_t{padded_width} * unit);
    }
    float block[64];
    auto take_block = [&](const std::vector<float>& plane, UINT x0, UINT y0) {
      for (UINT v = 0; v < 8; ++v) {
        for (UINT u = 0; u < 8; ++u) {
          block[v * 8 + u] = plane[size_t{y0 + v} * padded_width + x0 + u];
        }
      }
    };
    // A 2 x 2 average of the 16 x 16 unit at left.
    auto take_halved_block = [&](const std::vector<float>& plane, UINT left) {
      for (UINT v = 0; v < 8; ++v) {
        for (UINT u = 0; u < 8; ++u) {
          const size_t at = size_t{2 * v} * padded_width + left + 2 * u;
          block[v * 8 + u] = (plane[at] + plane[at + 1] + plane[at + padded_width] +
                              plane[at + padded_width + 1]) *
                             0.25f;
        }
      }
    };
    for (UINT top = 0; top < height; top += unit) {
      const UINT rows = std::min(unit, height - top);
      const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width),
                            static_cast<INT>(rows)};
      ThrowIfFailed(bgr->CopyPixels(&rect, stride, static_cast<UINT>(stride * rows), strip.data()));
      for (UINT y = 0; y < unit; ++y) {
        const uint8_t* row = strip.data() + size_t{std::min(y, rows - 1)} * stride;
        for (UINT x = 0; x < padded_width; ++x) {
          const uint8_t* p = row + size_t{std::min(x, width - 1)} * 3;
          const float b = p[0], g = p[1], r = p[2];
          const size_t at = size_t{y} * padded_width + x;
          planes[0][at] = 0.299f * r + 0.587f * g + 0.114f * b - 128.0f;
          planes[1][at] = -0.168736f * r - 0.331264f * g + 0.5f * b;
          planes[2][at] = 0.5f * r - 0.418688f * g - 0.081312f * b;
        }
      }
      for (UINT left = 0; left < padded_width; left += unit) {
        if (subsampled) {
          for (UINT part = 0; part < 4; ++part) {
            take_block(planes[0], left + (part & 1) * 8, (part >> 1) * 8);
            y_coder.Code(block, writer);
          }
          take_halved_block(planes[1], left);
          cb_coder.Code(block, writer);
          take_halved_block(planes[2], left);
          cr_coder.Code(block, writer);
        } else {
          take_block(planes[0], left, 0);
          y_coder.Code(block, writer);
          take_block(planes[1], left, 0);
          cb_coder.Code(block, writer);
          take_block(planes[2], left, 0);
          cr_coder.Code(block, writer);
        }
      }
    }
    writer.Finish();
    sink.Word(0xFFD9);
    return sink.Flush();
  } catch (const CComError&) {
    return false;
  }
}

bool CJpegEncoder::PlatformHonoursQuality() {
  const int overridden = g_probe_override.load();
  if (overridden >= 0) {
    return overridden != 0;
  }
  static std::once_flag once;
  static bool honours = false;
  std::call_once(once, [] {
    const std::vector<uint8_t> low = PlatformTableAt(0.1f);
    const std::vector<uint8_t> high = PlatformTableAt(0.9f);
    honours = !low.empty() && !high.empty() && low != high;
  });
  return honours;
}

void CJpegEncoder::OverridePlatformProbeForTesting(int honours) { g_probe_override.store(honours); }
