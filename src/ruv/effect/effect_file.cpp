#include "ruv/effect/effect_file.h"

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "ruv/effect/effect_fragments.h"

namespace {

// Effect files are text files of the host's platform: every line ends with CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::string GenerateEffectText(const XEffectDesc& desc) {
  const EffectChoices choices = ChooseEffectFragments(desc);
  return EffectHeader() + EffectParameters(desc, choices) + EffectSamplers(desc) +
         VertexInput(desc, choices) + VertexOutput(desc, choices) + VertexShader(desc, choices) +
         PixelShader(desc, choices) + EffectTechnique();
}

bool WriteEffectFile(const XEffectDesc& desc) {
  if (desc.path.empty()) return false;
  return platform::WriteFileAtomically(platform::ToNativePath(desc.path),
                                       WithCrLf(GenerateEffectText(desc)));
}
