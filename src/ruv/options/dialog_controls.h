// The controls of the options dialog (resource 102) and of the clip dialog (resource 103), by the
// ids every front-end gives them, and what each one edits. The dialog's rules speak only of these
// ids, so they hold for any window system.
#pragma once

#include <cstdint>
#include <span>

#include "ruv/options/export_options.h"

enum OptionsControlId : int {
  kIdCancel = 2,
  kIdWorldSpace = 1001,
  kIdMesh = 1002,
  kIdSceneRoot = 1003,
  kIdMaterial = 1004,
  kIdSkin = 1005,
  kIdNormal = 1006,
  kIdInline = 1007,
  kIdTangent = 1008,
  kIdXFileFormat = 1009,
  kIdAnimation = 1010,
  kIdSamplingRate = 1011,
  kIdBone = 1012,
  kIdVertexDuplication = 1013,
  kIdClipList = 1014,
  kIdAddClip = 1015,
  kIdDeleteClip = 1016,
  kIdTextureFormat = 1017,
  kIdOtherNodes = 1018,
  kIdInsertClip = 1019,
  kIdDummy = 1020,
  kIdBitangent = 1021,
  kIdEffectParameters = 1022,
  kIdCreateShader = 1023,
  kIdStatus = 1024,
  kIdSceneRootName = 1025,
  kIdNormalMap = 1026,
  kIdDiffuseMapColor = 1027,
  kIdAnimationType = 1028,
  kIdOpenClose = 1029,
  kIdPowerOf2 = 1030,
  kIdQuality = 1031,
  kIdVertexColor = 1032,
  kIdBoneMesh = 1033,
  kIdTexCoords = 1034,
  kIdOk = 1035,
  kIdProcMapX = 1036,
  kIdTimelineHost = 1037,
  kIdTimelineCustom = 1038,
  kIdProcMapY = 1039,
  kIdWeightFix = 1041,
  kIdRemoveDuplicates = 1042,
  kIdKeyFrames = 1044,
  kIdMatrixKeys = 1045,
  kIdSrtKeys = 1046,
  kIdDuplicateName = 1049,
  kIdOnlyAnimationSet = 1050,
  kIdPrecisionEdit = 1163,
  kIdPrecisionSpinner = 1164,
  kIdRightHanded = 1165,
  kIdCustomUnitEdit = 1166,
  kIdCustomUnitSpinner = 1167,
  kIdScale = 1168,
  kIdXRotEnable = 1169,
  kIdScaleEnable = 1170,
  kIdTextureOverwrite = 1171,
  kIdFxOverwrite = 1172,
  kIdConvertTo = 1173,
  kIdOptimizeEdit = 1174,
  kIdOptimizeSpinner = 1175,
  kIdTextures = 1176,
  kIdFx = 1177,
  kIdDeclData = 1178,
  kIdMultiTextures = 1179,
  kIdZRot = 1180,
  kIdZRotEnable = 1181,
  kIdXRot = 1182,
};

enum ClipDialogControlId : int {
  kClipIdOk = 1,
  kClipIdCancel = 2,
  kClipIdEndEdit = 1166,
  kClipIdEndSpinner = 1167,
  kClipIdStartSpinner = 1168,
  kClipIdStartEdit = 1169,
  kClipIdName = 1170,
};

// A check box and the switch it edits.
struct CheckBoxOption {
  int id;
  std::int32_t ExportOptions::*option;
};

// Every check box of the options dialog, "Type" (kIdAnimationType) included.
std::span<const CheckBoxOption> CheckBoxOptions();

// The controls that "Textures" enables: everything about converting and writing texture files.
std::span<const int> TextureGroupIds();

// A number field with its spinner: the edit's id is what the rules enable, the spinner's id holds
// the value.
struct SpinnerField {
  int editId;
  int spinnerId;
  double minimum;
  double maximum;
  double step;
  bool integer;
};

std::span<const SpinnerField> SpinnerFields();
const SpinnerField* FindSpinner(int spinnerId);
