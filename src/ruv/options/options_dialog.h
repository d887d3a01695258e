// The options dialog without a window: the state of every control of resource 102, what it shows
// when it opens, the rules that keep related boxes consistent while the user clicks, and the
// read-back into the options on OK. A front-end draws this state and reports clicks and typing; the
// options change only in Apply.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ruv/options/clip_list.h"
#include "ruv/options/export_options.h"
#include "ruv_version.h"

inline constexpr std::wstring_view kOptionsDialogCaption = L"RUV Free v" RUV_VERSION;
inline constexpr std::wstring_view kOptionsDialogStatus =
    L"OK exports and saves these options; Cancel exports nothing.";
inline constexpr std::wstring_view kOptionsDialogSaveOnlyStatus =
    L"OK saves these options; Cancel saves nothing.";

// What the dialog needs to know of the host and the scene being exported.
struct OptionsDialogFacts {
  int frameRate = 30;
  int ticksPerFrame = 160;
  // The scene's frames (animation range in ticks divided by ticks per frame).
  std::int32_t firstFrame = 0;
  std::int32_t lastFrame = 100;
  // Stands in for a scene root name that is no valid identifier.
  std::wstring rootNodeName;
  // Whether OK goes on to export (false when the dialog only edits the options file): the status
  // line says what OK does.
  bool exports = true;
};

// How the dialog ends after a click.
enum class DialogCommand { None, OpenClipDialog, Accept, Cancel };

struct ControlState {
  bool checked = false;
  bool enabled = true;
  std::wstring text;
  std::vector<std::wstring> items;  // drop-down lists
  int selection = -1;
  double value = 0.0;  // spinners
};

class OptionsDialogModel {
 public:
  // Opens the dialog over `options` and `clips` (the process-wide ones in the export): fills every
  // control from them. Opening already holds Precision at 10 at most.
  OptionsDialogModel(ExportOptions& options, AnimationClips& clips, OptionsDialogFacts facts);

  const OptionsDialogFacts& Facts() const { return facts_; }
  const ControlState& Control(int id) const;
  bool Checked(int id) const { return Control(id).checked; }
  bool Enabled(int id) const { return Control(id).enabled; }
  ClipListView& ClipList() { return clipList_; }
  const ClipListView& ClipList() const { return clipList_; }

  // A click on a button, check box or radio button: an enabled check box toggles, a radio button
  // becomes the checked one of its pair, and the control's rule runs. OK applies the values first.
  DialogCommand Click(int id);
  // What the user typed or chose; nothing else changes until OK.
  void SetText(int id, std::wstring_view text);
  void SetSelection(int id, int selection);
  // Held inside the spinner's limits.
  void SetSpinnerValue(int spinnerId, double value);

  // Reads every control back into the options and the clip list.
  void Apply();

 private:
  ControlState& State(int id) { return controls_[id]; }
  void Check(int id, bool on = true) { State(id).checked = on; }
  void Uncheck(int id) { Check(id, false); }
  void Enable(int id, bool on) { State(id).enabled = on; }
  void EnableTextureGroup(bool on);
  void FillControls();
  void ApplyClickRule(int id, bool checked);
  void ApplyNumbers();

  ExportOptions& options_;
  AnimationClips& clips_;
  OptionsDialogFacts facts_;
  ClipListView clipList_;
  std::map<int, ControlState> controls_;
};
