// The second core for the stages of a large mesh. Work is split so that every result is made in
// the order one thread would make it: the output is the same bytes for any number of threads.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <thread>

// The threads a large stage may use: SetWorkThreads' count, else the processor count.
unsigned WorkThreads();
// 0 goes back to the processor count; tests set 1 and 2 to compare the outputs.
void SetWorkThreads(unsigned count);

// Work below this many items (faces, values) is done on the calling thread: starting a thread costs
// about as much as a few thousand faces.
inline constexpr std::size_t kThreadedWork = 16384;

// Runs produce(chunk, slot) and then consume(chunk, slot) for every chunk 0 .. count - 1; the
// consumes run in chunk order on the calling thread. With a second thread (and `threaded`) the
// produces run on it, up to `slots` chunks ahead of the consumes; `slot` (below `slots`) names the
// buffer a chunk uses, free again once its consume has returned. An exception of either side ends
// both and is thrown here.
void RunPipelined(std::size_t count, std::size_t slots,
                  const std::function<void(std::size_t chunk, std::size_t slot)>& produce,
                  const std::function<void(std::size_t chunk, std::size_t slot)>& consume,
                  bool threaded = true);

// A job run beside the calling thread when a second thread is there (and `threaded`), else at
// once; Wait returns when it is done and throws what it threw. The destructor waits too.
class SideJob {
 public:
  explicit SideJob(std::function<void()> job, bool threaded = true);
  ~SideJob();
  SideJob(const SideJob&) = delete;
  SideJob& operator=(const SideJob&) = delete;
  void Wait();

 private:
  std::function<void()> job_;
  std::thread thread_;
  std::exception_ptr failure_;
};
