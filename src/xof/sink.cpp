#include "xof/sink.h"

#include "platform/file_replacement.h"

namespace xof {

AtomicFileSink::AtomicFileSink(const std::filesystem::path& target)
    : file_(std::make_unique<platform::FileReplacement>(target)) {
  if (!file_->ok()) throw WriteError(file_->error());
}

AtomicFileSink::~AtomicFileSink() = default;

void AtomicFileSink::Write(const void* data, std::size_t size) {
  if (!file_->Write(data, size)) throw WriteError(file_->error());
}

// No flush to disk: the rename makes the replacement atomic for readers, and a large export need
// not wait for the disk.
void AtomicFileSink::Commit() {
  if (!file_->Commit(/*durable=*/false)) throw WriteError(file_->error());
}

}  // namespace xof
