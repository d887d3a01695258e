// Modules found through the caller's own file: the executable's, which the loader itself names by
// no path (dladdr would give argv[0]), a shared library's, and a module loaded from beside it.
#include "platform/loaded_module.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const char kInThisProgram = 0;

TEST(LoadedModule, NamesTheFileThatHoldsAnAddress) {
  EXPECT_EQ(platform::ModuleFileOf(&kInThisProgram), fs::read_symlink("/proc/self/exe"));
  // The standard output's record lies in the C library.
  EXPECT_EQ(platform::ModuleFileOf(stdout).filename().string().rfind("libc.so", 0), 0u)
      << platform::ModuleFileOf(stdout);
  EXPECT_TRUE(platform::ModuleFileOf(nullptr).empty());
}

TEST(LoadedModule, LoadsFromBesideTheCallerOrSaysWhyNot) {
  const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path();
  std::string problem;
  // The host's core library is built beside the tests.
  EXPECT_NE(platform::LoadModuleBeside(&kInThisProgram, "core.so", problem), nullptr) << problem;
  EXPECT_EQ(platform::LoadModuleBeside(&kInThisProgram, "no-such-module.so", problem), nullptr);
  EXPECT_EQ(problem, "cannot load " + (folder / "no-such-module.so").string() +
                         ": cannot open shared object file: No such file or directory");

  // A module that loads but gives no table of calls is refused by name.
  struct Calls {
    const char* version;
  };
  const auto loaded =
      platform::LoadModuleCalls<Calls>(&kInThisProgram, "core.so", "NoSuchEntry", "1.0");
  EXPECT_EQ(loaded.calls, nullptr);
  EXPECT_EQ(loaded.problem, "core.so is not a module of this program: it has no NoSuchEntry");
}

}  // namespace
