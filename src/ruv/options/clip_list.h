// The clip list of the options dialog: a small grid with the columns Name, Start and End, one row
// per animation clip, one current cell, and in-place editing that keeps every clip inside the
// scene's frames. The window shows what this holds; the rules live here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ruv/options/export_options.h"

enum ClipColumn : int { kClipNameColumn = 0, kClipStartColumn = 1, kClipEndColumn = 2 };

// A clip name typed in place, or read back, is at most this long.
inline constexpr std::size_t kMaxClipCellLength = 31;
// Names are compared, and taken from the clip dialog, up to this length.
inline constexpr std::size_t kMaxClipNameLength = 63;

class ClipListView {
 public:
  using Row = std::array<std::wstring, 3>;

  // The frames of the scene, F0 and F1: clips are created and corrected inside them.
  ClipListView(std::int32_t minFrame, std::int32_t maxFrame);

  std::int32_t MinFrame() const { return minFrame_; }
  std::int32_t MaxFrame() const { return maxFrame_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  const std::wstring& CellText(int row, int column) const;
  // The current cell; -1 when there is none (the column stays -1 until a cell is clicked).
  int CurrentRow() const { return currentRow_; }
  int CurrentColumn() const { return currentColumn_; }
  bool IsCurrentCell(int row, int column) const;

  void SetCellText(int row, int column, std::wstring_view text);
  // An empty row at `index` (0 to the row count; anything else does nothing) becomes the current
  // row; the current column is kept.
  void InsertRow(int index);
  void AppendRow();
  // Removes the row; when it was the current row or above it, the current row moves up by one.
  void DeleteRow(int index);

  // Appends a clip, frames clamped into the scene and the start at most the end; an empty name
  // becomes a fresh "Anims_<n>".
  void AddClipRow(std::wstring_view name, std::int32_t start, std::int32_t end);
  // "Insert": a fresh clip over the whole scene above the current row, or at the end without one.
  void InsertClipRow();
  // `base`, or when some row's name holds it, the longest such name (the first of equals) with "_"
  // after it: a name no row has.
  std::wstring MakeUniqueClipName(std::wstring_view base) const;
  // The name "Add" and "Insert" start from: "Anims_<number>" made unique.
  std::wstring FreshClipName(int number) const;
  // "Delete": the current row, or the last row when there is none.
  void DeleteCurrentOrLastRow();

  // A click on a cell, or outside every cell (row -1). A second click on the current cell arms
  // editing; returns whether it did.
  bool Click(int row, int column);
  // A double click makes the cell current and arms editing.
  void DoubleClick(int row, int column);
  // Whether editing the current cell may start now.
  bool BeginEdit() const;
  // The text the editor starts with, and whether it takes digits only (the frame columns).
  std::wstring EditText() const;
  bool EditTakesDigitsOnly() const {
    return currentColumn_ == kClipStartColumn || currentColumn_ == kClipEndColumn;
  }
  // The typed text for the current cell: returns false, changing nothing, when it is refused;
  // frames beyond the scene or past the row's other frame are corrected.
  bool EndEdit(std::wstring_view typed);

  // The rows as clips, in order (names cut to 31 characters, frames as typed).
  AnimationClips ReadClipRows() const;

 private:
  std::int32_t ClampFrame(std::int32_t frame) const;
  bool EndFrameEdit(std::wstring_view typed);

  std::int32_t minFrame_;
  std::int32_t maxFrame_;
  std::vector<Row> rows_;
  int currentRow_ = -1;
  int currentColumn_ = -1;
  bool editOnClick_ = true;
};

// The clip dialog that "Add" opens: a name and two frame spinners limited to the scene's frames.
struct ClipDialogValues {
  std::wstring name;
  std::int32_t start = 0;
  std::int32_t end = 0;
  std::int32_t minFrame = 0;
  std::int32_t maxFrame = 0;
};

// What the clip dialog shows when it opens.
ClipDialogValues OpenClipDialog(const ClipListView& list);
// OK in the clip dialog: the clip joins the list (name cut to 63 characters).
void AcceptClipDialog(ClipListView& list, const ClipDialogValues& values);
