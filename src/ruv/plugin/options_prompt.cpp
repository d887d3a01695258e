#include "ruv/plugin/options_prompt.h"

#include <utility>

namespace {
OptionsPrompt& CurrentPrompt() {
  static OptionsPrompt prompt;
  return prompt;
}
}  // namespace

void SetOptionsPrompt(OptionsPrompt prompt) { CurrentPrompt() = std::move(prompt); }

int ShowOptionsPrompt(ExportContext* context) {
  const OptionsPrompt& prompt = CurrentPrompt();
  return prompt ? prompt(context) : 1;
}
