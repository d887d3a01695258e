#include <cstdio>

#include "commands.h"
#include "module_loader.h"
#include "platform/text_encoding.h"
#include "ruv_version.h"

namespace ruvx {

std::string VersionText() {
  std::string text = std::string("ruvx ") + RUV_VERSION;
  std::filesystem::path path = DefaultModulePath();
  try {
    std::unique_ptr<ExporterModule> module = ExporterModule::Load(path, L"X");
    unsigned int version = module->CreateExporter()->Version();
    char number[32];
    std::snprintf(number, sizeof number, "%u.%02u", version / 100, version % 100);
    text += "\n" + path.string() + ": " + platform::WideToUtf8(module->Description()) +
            ", version " + number;
  } catch (const std::exception& failure) {
    text += "\n" + std::string(failure.what());
  }
  return text;
}

}  // namespace ruvx
