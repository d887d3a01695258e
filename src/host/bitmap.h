// Bitmaps: images the host creates, fills pixel by pixel and writes to files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

// Bitmap types and flags the exporter asks for.
constexpr int BMM_TRUE_32 = 6;
constexpr DWORD MAP_HAS_ALPHA = 2;
// The frame number that marks a single image.
constexpr int BMM_SINGLEFRAME = -2000000;
constexpr int BMMRES_SUCCESS = 0;
constexpr int BMMRES_ERRORTAKENCARE = 1;

struct BMM_Color_fl {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

// Describes an image: its file (a host path), size, type and flags.
class BitmapInfo {
 public:
  void SetName(const wchar_t* name) { name_ = name ? name : L""; }
  // The full path.
  const wchar_t* Name() const { return name_.c_str(); }
  // The file name without its folder.
  const wchar_t* Filename() const;
  void SetWidth(int width) { width_ = width; }
  void SetHeight(int height) { height_ = height; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetType(int type) { type_ = type; }
  int Type() const { return type_; }
  void SetFlags(DWORD flags) { flags_ |= flags; }
  DWORD Flags() const { return flags_; }

 private:
  std::wstring name_;
  mutable std::wstring fileName_;
  int width_ = 0;
  int height_ = 0;
  int type_ = 0;
  DWORD flags_ = 0;
};

// A bitmap held by a parameter block (an effect's texture, say).
class PBBitmap {
 public:
  BitmapInfo bi;
};

class Bitmap {
 public:
  virtual ~Bitmap() = default;
  // Writes `count` pixels of row y from column x on; returns 1 when they were all inside.
  virtual int PutPixels(int x, int y, int count, const BMM_Color_fl* pixels) = 0;
  virtual int OpenOutput(BitmapInfo* info) = 0;
  // Writes the image to the file named by `info`; BMMRES_SUCCESS when it was written whole.
  virtual int Write(BitmapInfo* info, int frame = BMM_SINGLEFRAME) = 0;
  virtual int Close(BitmapInfo* info) = 0;
  virtual void DeleteThis() = 0;
};

class BitmapManager {
 public:
  virtual ~BitmapManager() = default;
  // A new bitmap of the described size; null for a size the manager cannot hold.
  virtual Bitmap* Create(BitmapInfo* info) = 0;
};

// The host's bitmap manager. Images are written as 32-bit .bmp files with alpha.
extern BitmapManager* TheManager;
