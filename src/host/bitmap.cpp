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

// A pixel as the file holds it: blue, green, red, alpha.
struct Bgra {
  std::uint8_t b = 0, g = 0, r = 0, a = 0;
};

// The form every image reader takes: a BITMAPINFOHEADER, rows bottom-up, each padded to 4 bytes;
// 24 bits per pixel when every pixel is opaque, else 32 with the alpha byte (no channel masks).
std::string EncodeBmp(int width, int height, const std::vector<Bgra>& pixels) {
  const bool opaque =
      std::all_of(pixels.begin(), pixels.end(), [](const Bgra& p) { return p.a == 255; });
  const std::uint32_t pixelBytes = opaque ? 3 : 4;
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * pixelBytes + 3) & ~3u;
  const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(height);
  const std::uint32_t headerSize = 14 + 40;
  std::string out;
  out.reserve(headerSize + imageSize);
  out += "BM";
  PutLe(out, headerSize + imageSize, 4);
  PutLe(out, 0, 4);
  PutLe(out, headerSize, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<std::uint32_t>(width), 4);
  PutLe(out, static_cast<std::uint32_t>(height), 4);  // positive: rows stored bottom to top
  PutLe(out, 1, 2);
  PutLe(out, pixelBytes * 8, 2);
  PutLe(out, 0, 4);  // uncompressed RGB
  PutLe(out, imageSize, 4);
  PutLe(out, 2835, 4);  // 72 dots per inch
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int row = height - 1; row >= 0; --row) {
    const Bgra* p = pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x, ++p) {
      out.push_back(static_cast<char>(p->b));
      out.push_back(static_cast<char>(p->g));
      out.push_back(static_cast<char>(p->r));
      if (!opaque) out.push_back(static_cast<char>(p->a));
    }
    out.append(rowBytes - static_cast<std::uint32_t>(width) * pixelBytes, '\0');
  }
  return out;
}

class MemoryBitmap : public Bitmap {
 public:
  MemoryBitmap(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

  int PutPixels(int x, int y, int count, const BMM_Color_fl* pixels) override {
    if (y < 0 || y >= height_ || x < 0 || count < 0 || x + count > width_) return 0;
    // Kept as bytes: four per pixel, not sixteen, for the largest maps.
    Bgra* out = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_ + x;
    for (int i = 0; i < count; ++i) {
      out[i] = {ToByte(pixels[i].b), ToByte(pixels[i].g), ToByte(pixels[i].r), ToByte(pixels[i].a)};
    }
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
  std::vector<Bgra> pixels_;
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
