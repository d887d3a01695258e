// The options file: ruv_max_config.ini in the host's plug-in configuration folder, section
// "Option". Every export loads it before the options dialog and, unless prompts were suppressed or
// the dialog cancelled, saves it at the end. The save replaces the whole file, so keys of clips
// beyond the current count, and anything else in it, disappear.
#pragma once

#include <string>
#include <string_view>

#include "host/interface.h"
#include "host/time_value.h"
#include "platform/profile_document.h"
#include "ruv/options/export_options.h"

inline constexpr std::wstring_view kOptionsSection = L"Option";
inline constexpr std::wstring_view kConfigFileName = L"ruv_max_config.ini";

// The host's plug-in configuration folder (number 9), "\", and the file name. Empty without a host
// or without that folder: then a load gives the defaults and a save does nothing, rather than
// writing the file at the root of the file system.
std::wstring ConfigFilePath(Interface* host);
// The same for a folder given directly (a host path); empty for an empty folder.
std::wstring ConfigFilePathIn(std::wstring_view folder);

// Loads gExportOptions and gAnimationClips from the file at `configPath` (a host path): every key
// missing from the file (or the whole file) takes its default, SampleRate the host's `frameRate`.
// Mtl off turns off PowerOf2, OverwriteFX, DxFx, TextureFiles, EffectParam and InlineMtl; Bones off
// turns off BoneMesh. Clip frames are clamped into the frames of `animRange` (ticks divided by
// `ticksPerFrame`; a ticksPerFrame of 0 counts as 1) and a clip with an empty name is skipped.
// Always returns 1.
int LoadOptions(const std::wstring& configPath, int frameRate, Interval animRange,
                int ticksPerFrame);

// When the last LoadOptions found its file but could not read it (permissions, too large): why,
// naming the file; empty otherwise. The options then hold their defaults, and no save replaces
// that file: it holds the user's options, which a save of the defaults would lose.
const std::string& OptionsFileProblem();

// Writes gExportOptions and gAnimationClips to the file at `configPath`, which is built whole in
// memory and replaces the old file at once: an interrupted save leaves the old file, never an empty
// or partial one. An empty path does nothing. Failures are not reported, as the export expects.
void SaveOptions(const std::wstring& configPath);

// SaveOptions for callers that report failure: false when the path is empty, the file exists but
// could not be read, or it could not be replaced (the old one then stays as it was); `error`, when
// given, says why.
bool TrySaveOptions(const std::wstring& configPath, std::string* error = nullptr);

// The two halves of load and save over explicit values, for callers with their own copies.
void ReadOptions(const platform::ProfileDocument& file, int frameRate, Interval animRange,
                 int ticksPerFrame, ExportOptions& options, AnimationClips& clips);
platform::ProfileDocument OptionsDocument(const ExportOptions& options,
                                          const AnimationClips& clips);
