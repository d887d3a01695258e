#include "ruv/options/clip_list.h"

#include <algorithm>

#include "ruv/options/dialog_numbers.h"
#include "ruv/options/letters.h"

namespace {

constexpr std::size_t kMaxEditText = 259;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Letters of every script count, whatever the process locale says (a toolkit may set it from the
// environment): "wälk" is a name on every machine.
bool IsClipName(std::wstring_view text) {
  if (IsDigit(text.front())) return false;
  return std::all_of(text.begin(), text.end(), [](wchar_t c) {
    return c == L'_' || IsDigit(c) || IsUnicodeLetter(static_cast<char32_t>(c));
  });
}

bool AllDigits(std::wstring_view text) { return std::all_of(text.begin(), text.end(), IsDigit); }

std::wstring FrameText(std::int32_t frame) { return std::to_wstring(frame); }

}  // namespace

ClipListView::ClipListView(std::int32_t minFrame, std::int32_t maxFrame)
    : minFrame_(minFrame), maxFrame_(std::max(minFrame, maxFrame)) {}

const std::wstring& ClipListView::CellText(int row, int column) const {
  static const std::wstring kNone;
  if (row < 0 || row >= RowCount() || column < 0 || column > 2) return kNone;
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

bool ClipListView::IsCurrentCell(int row, int column) const {
  return row >= 0 && row == currentRow_ && column == currentColumn_;
}

void ClipListView::SetCellText(int row, int column, std::wstring_view text) {
  if (row < 0 || row >= RowCount() || column < 0 || column > 2) return;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

void ClipListView::InsertRow(int index) {
  if (index < 0 || index > RowCount()) return;
  rows_.insert(rows_.begin() + index, Row{});
  currentRow_ = index;
}

void ClipListView::AppendRow() { InsertRow(RowCount()); }

void ClipListView::DeleteRow(int index) {
  if (index < 0 || index >= RowCount()) return;
  rows_.erase(rows_.begin() + index);
  if (index <= currentRow_) {
    --currentRow_;
    if (currentRow_ < 0) currentColumn_ = -1;
  }
}

std::int32_t ClipListView::ClampFrame(std::int32_t frame) const {
  return std::clamp(frame, minFrame_, maxFrame_);
}

void ClipListView::AddClipRow(std::wstring_view name, std::int32_t start, std::int32_t end) {
  std::wstring clipName = name.empty() ? FreshClipName(RowCount() + 1) : std::wstring(name);
  const std::int32_t e = ClampFrame(end);
  const std::int32_t s = std::min(ClampFrame(start), e);
  AppendRow();
  SetCellText(currentRow_, kClipNameColumn, clipName);
  SetCellText(currentRow_, kClipStartColumn, FrameText(s));
  SetCellText(currentRow_, kClipEndColumn, FrameText(e));
}

void ClipListView::InsertClipRow() {
  if (currentRow_ < 0) {
    AddClipRow({}, minFrame_, maxFrame_);
    return;
  }
  InsertRow(currentRow_);
  SetCellText(currentRow_, kClipNameColumn, FreshClipName(currentRow_ + 1));
  SetCellText(currentRow_, kClipStartColumn, FrameText(minFrame_));
  SetCellText(currentRow_, kClipEndColumn, FrameText(maxFrame_));
}

std::wstring ClipListView::MakeUniqueClipName(std::wstring_view base) const {
  std::optional<std::wstring> longest;
  for (const Row& row : rows_) {
    std::wstring name = row[kClipNameColumn].substr(0, kMaxClipNameLength);
    if (name.find(base) == std::wstring::npos) continue;
    if (!longest || name.size() > longest->size()) longest = std::move(name);
  }
  return longest ? *longest + L"_" : std::wstring(base);
}

std::wstring ClipListView::FreshClipName(int number) const {
  return MakeUniqueClipName(L"Anims_" + std::to_wstring(number));
}

void ClipListView::DeleteCurrentOrLastRow() {
  DeleteRow(currentRow_ >= 0 ? currentRow_ : RowCount() - 1);
}

bool ClipListView::Click(int row, int column) {
  if (row < 0 || row >= RowCount() || column < 0 || column > 2) {
    currentRow_ = currentColumn_ = -1;
    return false;
  }
  editOnClick_ = IsCurrentCell(row, column);
  currentRow_ = row;
  currentColumn_ = column;
  return editOnClick_;
}

void ClipListView::DoubleClick(int row, int column) {
  Click(row, column);
  editOnClick_ = currentRow_ >= 0;
}

bool ClipListView::BeginEdit() const {
  return editOnClick_ && currentRow_ >= 0 && currentColumn_ >= 0;
}

std::wstring ClipListView::EditText() const {
  return CellText(currentRow_, currentColumn_).substr(0, kMaxEditText);
}

bool ClipListView::EndEdit(std::wstring_view typed) {
  if (currentRow_ < 0 || currentColumn_ < 0) return false;
  if (typed.empty() || typed.size() > kMaxClipCellLength) return false;
  if (currentColumn_ == kClipNameColumn) {
    if (!IsClipName(typed)) return false;
    SetCellText(currentRow_, kClipNameColumn, typed);
    return true;
  }
  return EndFrameEdit(typed);
}

bool ClipListView::EndFrameEdit(std::wstring_view typed) {
  if (!AllDigits(typed)) return false;
  const bool isEnd = currentColumn_ == kClipEndColumn;
  const std::int32_t v = ReadLeadingInt(typed);
  const std::int32_t other =
      ReadLeadingInt(CellText(currentRow_, isEnd ? kClipStartColumn : kClipEndColumn));
  auto setBoth = [this](std::int32_t frame) {
    SetCellText(currentRow_, kClipStartColumn, FrameText(frame));
    SetCellText(currentRow_, kClipEndColumn, FrameText(frame));
  };
  if (isEnd) {
    if (v >= other && v > maxFrame_) {
      SetCellText(currentRow_, kClipEndColumn, FrameText(maxFrame_));
    } else if (v < other) {
      setBoth(std::max(v, minFrame_));
    } else {
      SetCellText(currentRow_, kClipEndColumn, typed);
    }
  } else {
    if (v <= other && v < minFrame_) {
      SetCellText(currentRow_, kClipStartColumn, FrameText(minFrame_));
    } else if (v > other) {
      setBoth(std::min(v, maxFrame_));
    } else {
      SetCellText(currentRow_, kClipStartColumn, typed);
    }
  }
  return true;
}

AnimationClips ClipListView::ReadClipRows() const {
  AnimationClips clips;
  clips.reserve(rows_.size());
  for (const Row& row : rows_) {
    clips.push_back(AnimationClip{row[kClipNameColumn].substr(0, kMaxClipCellLength),
                                  ReadLeadingInt(row[kClipStartColumn]),
                                  ReadLeadingInt(row[kClipEndColumn])});
  }
  return clips;
}

ClipDialogValues OpenClipDialog(const ClipListView& list) {
  return ClipDialogValues{list.FreshClipName(list.RowCount() + 1), list.MinFrame(), list.MaxFrame(),
                          list.MinFrame(), list.MaxFrame()};
}

void AcceptClipDialog(ClipListView& list, const ClipDialogValues& values) {
  list.AddClipRow(std::wstring_view(values.name).substr(0, kMaxClipNameLength), values.start,
                  values.end);
}
