// The exit statuses of ruvx, as the README documents them.
#pragma once

namespace ruvx {

constexpr int kExitSuccess = 0;
constexpr int kExitNothingWritten = 1;
constexpr int kExitUsage = 2;
constexpr int kExitBadInput = 3;
constexpr int kExitModule = 4;
constexpr int kExitWriteFailed = 5;
constexpr int kExitIncomplete = 6;
constexpr int kExitOptionsNotSaved = 7;
constexpr int kExitBatchNotWhole = 8;

}  // namespace ruvx
