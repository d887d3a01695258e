#include "ruv/options/options_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "ruv/options/dialog_controls.h"
#include "ruv/options/dialog_numbers.h"
#include "ruv/options/option_values.h"
#include "ruv/options/scene_root_name.h"

namespace {

constexpr std::size_t kMaxNumberText = 63;
constexpr float kMinScale = 0.00001f;
constexpr float kMaxMagnitude = 999999.0f;

bool IsRadio(int id) {
  return id == kIdTimelineHost || id == kIdTimelineCustom || id == kIdMatrixKeys ||
         id == kIdSrtKeys;
}

int RadioPartner(int id) {
  switch (id) {
    case kIdTimelineHost:
      return kIdTimelineCustom;
    case kIdTimelineCustom:
      return kIdTimelineHost;
    case kIdMatrixKeys:
      return kIdSrtKeys;
    default:
      return kIdMatrixKeys;
  }
}

bool IsCheckBox(int id) {
  const auto boxes = CheckBoxOptions();
  return std::any_of(boxes.begin(), boxes.end(),
                     [id](const CheckBoxOption& b) { return b.id == id; });
}

int SelectionIn(int value, int count) { return value >= 0 && value < count ? value : 0; }

float ReadNumberText(const std::wstring& text) {
  float value = ReadFloatOption(std::wstring_view(text).substr(0, kMaxNumberText));
  return std::isnan(value) ? 0.0f : value;
}

}  // namespace

OptionsDialogModel::OptionsDialogModel(ExportOptions& options, AnimationClips& clips,
                                       OptionsDialogFacts facts)
    : options_(options),
      clips_(clips),
      facts_(std::move(facts)),
      clipList_(facts_.firstFrame, facts_.lastFrame) {
  for (const AnimationClip& clip : clips_)
    clipList_.AddClipRow(clip.name, clip.startKey, clip.endKey);
  FillControls();
}

const ControlState& OptionsDialogModel::Control(int id) const {
  static const ControlState kAbsent;
  auto it = controls_.find(id);
  return it == controls_.end() ? kAbsent : it->second;
}

void OptionsDialogModel::EnableTextureGroup(bool on) {
  for (int id : TextureGroupIds()) Enable(id, on);
}

void OptionsDialogModel::FillControls() {
  const ExportOptions& o = options_;
  if (!o.SceneRootName.empty()) State(kIdSceneRootName).text = o.SceneRootName;
  State(kIdScale).text = FormatScaleText(o.SpaceScale);
  State(kIdZRot).text = FormatRotationText(o.ZRot);
  State(kIdXRot).text = FormatRotationText(o.XRot);

  State(kIdXFileFormat).items = {L"Text", L"Binary", L"Compress"};
  State(kIdXFileFormat).selection = SelectionIn(o.XFileType, 3);
  State(kIdTextureFormat).items = {L"dds", L"png", L"tga", L"jpg", L"bmp"};
  State(kIdTextureFormat).selection = SelectionIn(o.TextureFormat, 5);

  for (const CheckBoxOption& box : CheckBoxOptions()) Check(box.id, o.*box.option != 0);
  Check(o.Timeline ? kIdTimelineCustom : kIdTimelineHost);
  Check(o.KeyType ? kIdSrtKeys : kIdMatrixKeys);
  if (o.NormalMapCode) {
    for (int id : {kIdCreateShader, kIdTexCoords, kIdNormal, kIdTangent, kIdBitangent}) Check(id);
  }

  Enable(kIdFxOverwrite, o.DxFx != 0);
  for (int id : {kIdSkin, kIdWeightFix, kIdPrecisionEdit}) Enable(id, o.Meshs != 0);
  EnableTextureGroup(o.TextureFiles != 0);
  Enable(kIdTangent, o.DeclData != 0);
  Enable(kIdBitangent, o.DeclData != 0);
  if (!o.DeclData) {
    Uncheck(kIdCreateShader);
    Uncheck(kIdNormalMap);
  }
  Enable(kIdOnlyAnimationSet, o.Animation != 0);

  State(kIdOpenClose).items = {L"Closed", L"Open"};
  State(kIdOpenClose).selection = o.AnimationOpenClose ? 1 : 0;
  State(kIdQuality).items = {L"Spline", L"Linear"};
  State(kIdQuality).selection = o.AnimationQuality ? 1 : 0;

  // Compared as unsigned, so a negative precision is held at 10 as well.
  if (static_cast<std::uint32_t>(options_.Precision) > 10u) options_.Precision = 10;
  State(kIdPrecisionSpinner).value = options_.Precision * 0.1;
  State(kIdCustomUnitSpinner).value = o.TimelineCustom;
  State(kIdOptimizeSpinner).value = o.KeyOptimizeLevel;
  for (const SpinnerField& spinner : SpinnerFields()) {
    SetSpinnerValue(spinner.spinnerId, Control(spinner.spinnerId).value);
  }
  State(kIdStatus).text = facts_.exports ? kOptionsDialogStatus : kOptionsDialogSaveOnlyStatus;

  State(kIdSamplingRate).text = FormatIntegerOption(o.SampleRate);
  State(kIdProcMapX).text = FormatIntegerOption(o.ProcMapX);
  State(kIdProcMapY).text = FormatIntegerOption(o.ProcMapY);
}

DialogCommand OptionsDialogModel::Click(int id) {
  if (!Enabled(id)) return DialogCommand::None;
  switch (id) {
    case kIdOk:
      Apply();
      return DialogCommand::Accept;
    case kIdCancel:
      return DialogCommand::Cancel;
    case kIdAddClip:
      return DialogCommand::OpenClipDialog;
    case kIdDeleteClip:
      clipList_.DeleteCurrentOrLastRow();
      return DialogCommand::None;
    case kIdInsertClip:
      clipList_.InsertClipRow();
      return DialogCommand::None;
    default:
      break;
  }
  if (IsRadio(id)) {
    Check(id);
    Uncheck(RadioPartner(id));
  } else if (IsCheckBox(id)) {
    Check(id, !Checked(id));
  } else {
    return DialogCommand::None;
  }
  ApplyClickRule(id, Checked(id));
  return DialogCommand::None;
}

void OptionsDialogModel::ApplyClickRule(int id, bool checked) {
  auto normalMapNeedsAllThree = [this] {
    if (!(Checked(kIdNormal) && Checked(kIdTangent) && Checked(kIdBitangent)))
      Uncheck(kIdNormalMap);
  };
  switch (id) {
    case kIdInline:
    case kIdEffectParameters:
      if (checked) Check(kIdMaterial);
      break;
    case kIdMaterial:
      if (!checked) {
        Enable(kIdFxOverwrite, false);
        for (int box : {kIdFx, kIdEffectParameters, kIdInline, kIdCreateShader, kIdNormalMap,
                        kIdTextures, kIdPowerOf2}) {
          Uncheck(box);
        }
        EnableTextureGroup(false);
      }
      break;
    case kIdNormal:
      if (!checked) {
        Uncheck(kIdNormalMap);
        break;
      }
      Check(kIdMesh);
      normalMapNeedsAllThree();
      break;
    case kIdTangent:
    case kIdBitangent:
      if (checked) Check(kIdMesh);
      normalMapNeedsAllThree();
      break;
    case kIdAnimation:
      Enable(kIdOnlyAnimationSet, checked);
      break;
    case kIdBone:
      if (!checked) Uncheck(kIdBoneMesh);
      break;
    case kIdCreateShader:
      if (checked) {
        Enable(kIdTangent, true);
        Enable(kIdBitangent, true);
        for (int box : {kIdDeclData, kIdMesh, kIdTexCoords, kIdMaterial, kIdMultiTextures})
          Check(box);
      } else {
        Uncheck(kIdNormalMap);
      }
      break;
    case kIdNormalMap:
      if (checked) {
        Enable(kIdTangent, true);
        Enable(kIdBitangent, true);
        for (int box : {kIdDeclData, kIdMesh, kIdCreateShader, kIdTexCoords, kIdNormal, kIdTangent,
                        kIdBitangent, kIdMaterial, kIdMultiTextures}) {
          Check(box);
        }
      }
      break;
    case kIdVertexColor:
      if (checked) Check(kIdMesh);
      break;
    case kIdTexCoords:
      if (checked) {
        Check(kIdMesh);
        Check(kIdMaterial);
      } else {
        Uncheck(kIdCreateShader);
        Uncheck(kIdNormalMap);
      }
      break;
    case kIdTimelineCustom:
      State(kIdSamplingRate).text = FormatIntegerOption(facts_.frameRate);
      break;
    case kIdConvertTo:
      if (!checked) Uncheck(kIdPowerOf2);
      break;
    case kIdTextures:
      EnableTextureGroup(checked);
      if (checked) Check(kIdMaterial);
      break;
    case kIdFx:
      Enable(kIdFxOverwrite, checked);
      if (checked) Check(kIdMaterial);
      break;
    case kIdDeclData:
      Enable(kIdTangent, checked);
      Enable(kIdBitangent, checked);
      if (!checked) {
        Uncheck(kIdCreateShader);
        Uncheck(kIdNormalMap);
      }
      break;
    case kIdMultiTextures:
      if (checked) {
        Check(kIdMaterial);
      } else {
        Uncheck(kIdCreateShader);
        Uncheck(kIdNormalMap);
      }
      break;
    case kIdMesh:
      for (int control : {kIdSkin, kIdWeightFix, kIdPrecisionEdit}) Enable(control, checked);
      break;
    default:
      break;
  }
}

void OptionsDialogModel::SetText(int id, std::wstring_view text) { State(id).text = text; }

void OptionsDialogModel::SetSelection(int id, int selection) {
  ControlState& state = State(id);
  state.selection =
      selection >= 0 && selection < static_cast<int>(state.items.size()) ? selection : -1;
}

void OptionsDialogModel::SetSpinnerValue(int spinnerId, double value) {
  const SpinnerField* spinner = FindSpinner(spinnerId);
  if (!spinner) return;
  if (std::isnan(value)) value = spinner->minimum;
  value = std::clamp(value, spinner->minimum, spinner->maximum);
  State(spinnerId).value = spinner->integer ? std::trunc(value) : value;
}

void OptionsDialogModel::Apply() {
  ExportOptions& o = options_;
  // The spinner shows tenths; a tiny margin keeps 0.7 from reading back as 6.
  o.Precision = static_cast<std::int32_t>(Control(kIdPrecisionSpinner).value * 10.0 + 1e-6);
  o.TimelineCustom = static_cast<std::int32_t>(Control(kIdCustomUnitSpinner).value);
  o.KeyOptimizeLevel = static_cast<std::int32_t>(Control(kIdOptimizeSpinner).value);

  for (const CheckBoxOption& box : CheckBoxOptions()) o.*box.option = Checked(box.id) ? 1 : 0;
  o.Timeline = Checked(kIdTimelineCustom) ? 1 : 0;
  o.KeyType = Checked(kIdSrtKeys) ? 1 : 0;
  o.AnimationOptions = 0;
  o.AnimationOpenClose = Control(kIdOpenClose).selection > 0 ? 1 : 0;
  o.AnimationQuality = Control(kIdQuality).selection > 0 ? 1 : 0;

  const int fileType = Control(kIdXFileFormat).selection;
  o.XFileType = fileType >= 0 && fileType <= 2 ? fileType : 0;
  const int textureFormat = Control(kIdTextureFormat).selection;
  o.TextureFormat = textureFormat >= 0 && textureFormat <= 4 ? textureFormat : 0;

  ApplyNumbers();
  clips_ = clipList_.ReadClipRows();
  o.SceneRootName = SceneRootNameFromText(
      std::wstring_view(Control(kIdSceneRootName).text).substr(0, kMaxNumberText),
      facts_.rootNodeName);
}

void OptionsDialogModel::ApplyNumbers() {
  ExportOptions& o = options_;
  o.ProcMapX = std::max(1, ReadLeadingInt(Control(kIdProcMapX).text, 4));
  o.ProcMapY = std::max(1, ReadLeadingInt(Control(kIdProcMapY).text, 4));

  std::int32_t rate = ReadLeadingInt(Control(kIdSamplingRate).text, 3);
  const std::int64_t ticksPerSecond =
      std::int64_t{facts_.ticksPerFrame} * std::int64_t{facts_.frameRate};
  if (rate < 1 || rate > ticksPerSecond) rate = facts_.frameRate;
  o.SampleRate = o.Timeline ? facts_.frameRate : rate;

  float scale = ReadNumberText(Control(kIdScale).text);
  o.SpaceScale = scale <= 0.0f ? kMinScale : std::min(scale, kMaxMagnitude);

  // Rotations are held inside +-999999 both ways, so no text gives an endless angle.
  auto rotation = [](const std::wstring& text) {
    float value = ReadNumberText(text);
    if (std::fabs(value) <= 0.000001f) return 0.0f;
    return std::clamp(value, -kMaxMagnitude, kMaxMagnitude);
  };
  o.ZRot = rotation(Control(kIdZRot).text);
  o.XRot = rotation(Control(kIdXRot).text);
}
