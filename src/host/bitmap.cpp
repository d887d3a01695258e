#include "host/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/host_path.h"

namespace {

// Large enough for any texture, small enough that a wrong size cannot exhaust memory.
constexpr int kMaxSide = 16384;

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint8_t ToByte(float value) {
  if (!(value > 0.0f)) return 0;  // also not-a-number
  if (value >= 1.0f) return 255;
  return static_cast<std::uint8_t>(std::lround(value * 255.0f));
}

// A top-down 32-bit image with alpha: a BITMAPV4 header with explicit channel masks, which image
// readers take as BGRA with alpha.
std::string EncodeBmp(int width, int height, const std::vector<BMM_Color_fl>& pixels) {
  const std::uint32_t headerSize = 14 + 108;
  const std::uint32_t imageSize =
      static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4;
  std::string out;
  out.reserve(headerSize + imageSize);
  out += "BM";
  PutLe(out, headerSize + imageSize, 4);
  PutLe(out, 0, 4);
  PutLe(out, headerSize, 4);
  PutLe(out, 108, 4);
  PutLe(out, static_cast<std::uint32_t>(width), 4);
  PutLe(out, static_cast<std::uint32_t>(-height), 4);  // negative: rows stored top to bottom
  PutLe(out, 1, 2);
  PutLe(out, 32, 2);
  PutLe(out, 3, 4);  // bit fields
  PutLe(out, imageSize, 4);
  PutLe(out, 2835, 4);  // 72 dots per inch
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0x00FF0000, 4);
  PutLe(out, 0x0000FF00, 4);
  PutLe(out, 0x000000FF, 4);
  PutLe(out, 0xFF000000, 4);
  PutLe(out, 0x73524742, 4);  // sRGB
  out.append(48, '\0');       // end points and gamma, unused for sRGB
  for (const BMM_Color_fl& p : pixels) {
    out.push_back(static_cast<char>(ToByte(p.b)));
    out.push_back(static_cast<char>(ToByte(p.g)));
    out.push_back(static_cast<char>(ToByte(p.r)));
    out.push_back(static_cast<char>(ToByte(p.a)));
  }
  return out;
}

class MemoryBitmap : public Bitmap {
 public:
  MemoryBitmap(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

  int PutPixels(int x, int y, int count, const BMM_Color_fl* pixels) override {
    if (y < 0 || y >= height_ || x < 0 || count < 0 || x + count > width_) return 0;
    std::copy(pixels, pixels + count,
              pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + x);
    return 1;
  }
  int OpenOutput(BitmapInfo* info) override {
    return info ? BMMRES_SUCCESS : BMMRES_ERRORTAKENCARE;
  }
  int Write(BitmapInfo* info, int) override {
    if (!info || !*info->Name()) return BMMRES_ERRORTAKENCARE;
    bool written = platform::WriteFileAtomically(platform::ToNativePath(info->Name()),
                                                 EncodeBmp(width_, height_, pixels_));
    return written ? BMMRES_SUCCESS : BMMRES_ERRORTAKENCARE;
  }
  int Close(BitmapInfo*) override { return BMMRES_SUCCESS; }
  void DeleteThis() override { delete this; }

 private:
  int width_;
  int height_;
  std::vector<BMM_Color_fl> pixels_;
};

class FileBitmapManager : public BitmapManager {
 public:
  Bitmap* Create(BitmapInfo* info) override {
    if (!info || info->Width() < 1 || info->Height() < 1 || info->Width() > kMaxSide ||
        info->Height() > kMaxSide)
      return nullptr;
    return new MemoryBitmap(info->Width(), info->Height());
  }
};

FileBitmapManager gFileBitmapManager;

}  // namespace

BitmapManager* TheManager = &gFileBitmapManager;

const wchar_t* BitmapInfo::Filename() const {
  std::size_t slash = name_.find_last_of(L"\\/");
  fileName_ = slash == std::wstring::npos ? name_ : name_.substr(slash + 1);
  return fileName_.c_str();
}
