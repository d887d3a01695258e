// Runs programs N at a time, each in a process group of its own under a time limit and an
// address-space limit, its output going to a file. One thread; the processes do the work.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ruvx {

struct JobLimits {
  double seconds = 0;             // 0: none
  std::uint64_t memoryBytes = 0;  // 0: none
};

struct JobResult {
  int exitStatus = -1;  // when it exited
  int signal = 0;       // when a signal ended it
  bool timedOut = false;
  bool interrupted = false;  // ended because the run was interrupted
  bool started = true;       // false: never started (the run was interrupted first)
  double seconds = 0;
  double cpuSeconds = 0;
  long peakKilobytes = 0;
};

struct Job {
  std::vector<std::string> arguments;  // the program first
  std::filesystem::path log;           // standard output and error
  std::function<void(const JobResult&)> done;
};

class JobRunner {
 public:
  JobRunner(int slots, JobLimits limits, std::vector<std::string> environment = {});
  JobRunner(const JobRunner&) = delete;
  JobRunner& operator=(const JobRunner&) = delete;

  void Add(Job job);
  // Runs before the jobs added with Add (a follow-up of a job that just ended).
  void AddNext(Job job);
  // Starts no more jobs: those waiting are reported as not started once the running ones end.
  void Cancel() { cancelled_ = true; }
  // Runs every job, calling `tick` now and then (at least every 100 ms while jobs run). SIGINT
  // and SIGTERM end the running jobs; the rest are reported as not started. Returns false then.
  bool Run(const std::function<void()>& tick);

 private:
  struct Running {
    pid_t pid;
    Job job;
    std::chrono::steady_clock::time_point start;
    bool killed = false;
  };
  void Start(Job job);
  pid_t Spawn(const Job& job) const;

  int slots_;
  JobLimits limits_;
  std::vector<std::string> environment_;
  std::deque<Job> queue_;
  std::vector<Running> running_;
  bool cancelled_ = false;
};

}  // namespace ruvx
