#include "job_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace ruvx {
namespace {

constexpr auto kTick = std::chrono::milliseconds(100);

// A program built with the address sanitizer reserves terabytes of address space for its shadow
// memory: no limit of address space lets it start.
#ifdef RUV_ADDRESS_SANITIZER
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// The C strings of `texts`, ending in a null pointer, for execve; `texts` must outlive them.
std::vector<char*> CStrings(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

JobRunner::JobRunner(int slots, JobLimits limits, std::vector<std::string> environment)
    : slots_(std::max(slots, 1)), limits_(limits), environment_(std::move(environment)) {}

void JobRunner::Add(Job job) { queue_.push_back(std::move(job)); }

void JobRunner::AddNext(Job job) { queue_.push_front(std::move(job)); }

pid_t JobRunner::Spawn(const Job& job) const {
  // Everything the child needs is made before the fork: it only makes system calls.
  std::vector<std::string> arguments = job.arguments;
  std::vector<char*> argv = CStrings(arguments);
  std::vector<std::string> variables;
  for (char** v = environ; *v; ++v) {
    std::string_view variable(*v);
    bool replaced = std::any_of(environment_.begin(), environment_.end(), [&](const auto& e) {
      std::size_t equals = e.find('=');
      return variable.substr(0, equals + 1) == std::string_view(e).substr(0, equals + 1);
    });
    if (!replaced) variables.emplace_back(variable);
  }
  variables.insert(variables.end(), environment_.begin(), environment_.end());
  std::vector<char*> envp = CStrings(variables);
  const std::string log = job.log.string();
  const std::string failure = "cannot run " + arguments.front() + ": ";

  pid_t pid = ::fork();
  if (pid != 0) return pid;
  // The child: a group of its own, so that a time limit ends whatever it starts and the
  // terminal's Ctrl-C reaches the batch alone, which ends its jobs itself.
  ::setpgid(0, 0);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  if (limits_.memoryBytes > 0 && !kAddressSanitizer) {
    rlimit limit{limits_.memoryBytes, limits_.memoryBytes};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  int input = ::open("/dev/null", O_RDONLY);
  int output = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (input < 0 || output < 0) ::_exit(127);
  ::dup2(input, 0);
  ::dup2(output, 1);
  ::dup2(output, 2);
  ::execve(argv[0], argv.data(), envp.data());
  const char* why = std::strerror(errno);
  [[maybe_unused]] ssize_t written = ::write(2, failure.data(), failure.size());
  written = ::write(2, why, std::strlen(why));
  written = ::write(2, "\n", 1);
  ::_exit(127);
}

void JobRunner::Start(Job job) {
  pid_t pid = Spawn(job);
  if (pid < 0) {
    JobResult result;
    result.exitStatus = 127;
    job.done(result);
    return;
  }
  ::setpgid(pid, pid);
  running_.push_back({pid, std::move(job), std::chrono::steady_clock::now()});
}

bool JobRunner::Run(const std::function<void()>& tick) {
  sigset_t waited, previous;
  sigemptyset(&waited);
  sigaddset(&waited, SIGCHLD);
  sigaddset(&waited, SIGINT);
  sigaddset(&waited, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &waited, &previous);
  bool interrupted = false;
  const auto limit = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(limits_.seconds));

  for (;;) {
    while (!interrupted && !cancelled_ && !queue_.empty() &&
           static_cast<int>(running_.size()) < slots_) {
      Job job = std::move(queue_.front());
      queue_.pop_front();
      Start(std::move(job));
    }
    if (running_.empty() && (queue_.empty() || interrupted || cancelled_)) break;

    auto now = std::chrono::steady_clock::now();
    auto wait = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kTick);
    if (limits_.seconds > 0) {
      for (const Running& r : running_) {
        if (!r.killed) wait = std::min(wait, std::max(r.start + limit - now, wait.zero()));
      }
    }
    auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    timespec timeout{static_cast<time_t>(nanoseconds / 1000000000), nanoseconds % 1000000000};
    int signal = ::sigtimedwait(&waited, nullptr, &timeout);
    if ((signal == SIGINT || signal == SIGTERM) && !interrupted) {
      interrupted = true;
      for (Running& r : running_) ::kill(-r.pid, SIGKILL);
    }

    now = std::chrono::steady_clock::now();
    for (Running& r : running_) {
      if (limits_.seconds > 0 && !r.killed && now - r.start >= limit) {
        ::kill(-r.pid, SIGKILL);
        r.killed = true;
      }
    }
    for (std::size_t i = 0; i < running_.size();) {
      int status = 0;
      rusage usage{};
      pid_t ended = ::wait4(running_[i].pid, &status, WNOHANG, &usage);
      if (ended != running_[i].pid) {
        ++i;
        continue;
      }
      Running finished = std::move(running_[i]);
      running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
      JobResult result;
      result.interrupted = interrupted;
      if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
      if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
      result.timedOut = finished.killed;
      result.seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - finished.start).count();
      result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
      result.peakKilobytes = usage.ru_maxrss;
      finished.job.done(result);
    }
    if (tick) tick();
  }
  // What never ran is reported as such.
  while (!queue_.empty()) {
    Job job = std::move(queue_.front());
    queue_.pop_front();
    JobResult result;
    result.started = false;
    job.done(result);
  }
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
  return !interrupted;
}

}  // namespace ruvx
