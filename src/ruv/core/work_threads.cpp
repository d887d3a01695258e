#include "ruv/core/work_threads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

namespace {

std::atomic<unsigned> gWorkThreads{0};

}  // namespace

unsigned WorkThreads() {
  unsigned count = gWorkThreads.load();
  return count > 0 ? count : std::max(1u, std::thread::hardware_concurrency());
}

void SetWorkThreads(unsigned count) { gWorkThreads.store(count); }

void RunPipelined(std::size_t count, std::size_t slots,
                  const std::function<void(std::size_t, std::size_t)>& produce,
                  const std::function<void(std::size_t, std::size_t)>& consume, bool threaded) {
  slots = std::max<std::size_t>(slots, 1);
  auto alone = [&] {
    for (std::size_t chunk = 0; chunk < count; ++chunk) {
      produce(chunk, chunk % slots);
      consume(chunk, chunk % slots);
    }
  };
  if (!threaded || WorkThreads() < 2 || count < 2) return alone();
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t produced = 0, consumed = 0;  // chunks finished by each side
  bool stop = false;
  std::exception_ptr failure;
  // One side's turn at each chunk, in order: it waits until `ready` lets it at the chunk, works,
  // and says how far it got in `done`. A stop from either side ends both; the first failure is the
  // one that reaches the caller.
  auto side = [&](auto ready, const std::function<void(std::size_t, std::size_t)>& work,
                  std::size_t& done) {
    try {
      for (std::size_t chunk = 0; chunk < count; ++chunk) {
        {
          std::unique_lock lock(mutex);
          changed.wait(lock, [&] { return stop || ready(chunk); });
          if (stop) return;
        }
        work(chunk, chunk % slots);
        std::lock_guard lock(mutex);
        done = chunk + 1;
        changed.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!failure) failure = std::current_exception();
      stop = true;
      changed.notify_all();
    }
  };
  std::thread producer;
  try {
    producer = std::thread([&] {
      side([&](std::size_t chunk) { return chunk < consumed + slots; }, produce, produced);
    });
  } catch (const std::system_error&) {
    return alone();  // no thread to be had: one does it all
  }
  side([&](std::size_t chunk) { return chunk < produced; }, consume, consumed);
  producer.join();
  if (failure) std::rethrow_exception(failure);
}

SideJob::SideJob(std::function<void()> job, bool threaded) : job_(std::move(job)) {
  auto run = [this] {
    try {
      job_();
    } catch (...) {
      failure_ = std::current_exception();
    }
  };
  if (!threaded || WorkThreads() < 2) {
    run();
    return;
  }
  try {
    thread_ = std::thread(run);
  } catch (const std::system_error&) {
    run();  // no thread to be had: the job runs here
  }
}

SideJob::~SideJob() {
  if (thread_.joinable()) thread_.join();
}

void SideJob::Wait() {
  if (thread_.joinable()) thread_.join();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}
