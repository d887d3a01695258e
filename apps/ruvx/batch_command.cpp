// `ruvx batch IN... -o OUTDIR`: every model and scene file in IN exported by its own `ruvx export`
// process, N at a time, with one progress bar, a summary and, with --report, a page to look at.
// `ruvx batch --merge-reports RECORDS... --report DIR` makes the report of jobs run elsewhere.
#include <signal.h>
#include <stdlib.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "batch_inputs.h"
#include "batch_report.h"
#include "commands.h"
#include "exit_status.h"
#include "host/sim/import/model_formats.h"
#include "host/sim/import/model_import.h"
#include "job_runner.h"
#include "model_record.h"
#include "platform/file_system.h"

namespace ruvx {
namespace {

constexpr const char* kPreviewSize = "160x120";
constexpr std::size_t kLogLinesKept = 40;

struct BatchArguments {
  std::vector<std::string> inputs;
  std::string outputFolder;
  std::string report;
  int jobs = 0;
  double timeLimit = 600;
  double memoryLimit = 0;  // MB; 0: the machine's memory shared by the jobs
  bool merge = false;
  // Passed to every `ruvx export`.
  std::vector<std::string> sets;
  std::string format;
  std::string importScale;
  std::string up;
  bool keepClips = false;
  bool selected = false;
  std::string configDir;
  std::string modulePath;
  std::string imageDir;
  std::string dataDir;
};

std::string ThisProgram() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string("ruvx") : self.string();
}

std::filesystem::path Absolute(const std::string& path) {
  std::error_code error;
  return path.empty() ? std::filesystem::path() : std::filesystem::absolute(path, error);
}

// The last lines of a job's output, for a job that left no record of its own.
std::vector<std::string> LogLines(const std::filesystem::path& log) {
  std::vector<std::string> lines;
  std::optional<std::string> text = platform::ReadWholeFile(log);
  if (!text) return lines;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    if (std::size_t cr = line.rfind('\r'); cr != std::string::npos) line.erase(0, cr + 1);
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  if (lines.size() > kLogLinesKept) lines.erase(lines.begin(), lines.end() - kLogLinesKept);
  return lines;
}

// 0.5 as "0.5", 600 as "600".
std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

std::string SignalText(int signal) {
  const char* name = strsignal(signal);
  return "signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : "");
}

// The one bar of the batch, on standard error when it is a terminal; the models that were not
// exported whole are named above it as they end, on a terminal or not.
class BatchProgress {
 public:
  explicit BatchProgress(int total) : total_(total), terminal_(isatty(STDERR_FILENO)) {}

  void Ended(const ModelRecord& record) {
    ++done_;
    if (record.status != ModelStatus::kExported) {
      Clear();
      std::cerr << "ruvx batch: " << StatusName(record.status) << ": " << record.input << ": "
                << record.reason << "\n";
    }
    Draw();
  }
  void Draw() {
    if (!terminal_) return;
    constexpr int kWidth = 40;
    int filled = total_ ? done_ * kWidth / total_ : kWidth;
    std::fprintf(stderr, "\rruvx batch [%s%s] %d/%d", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, '.').c_str(), done_, total_);
    std::fflush(stderr);
    drawn_ = true;
  }
  void Clear() {
    if (drawn_) std::fputs("\r\033[K", stderr);
    drawn_ = false;
  }

 private:
  int total_;
  int done_ = 0;
  bool terminal_;
  bool drawn_ = false;
};

// A folder of the batch's own (records, outputs of jobs, the jobs' temporary files), removed with
// the object.
class WorkFolder {
 public:
  WorkFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ruvx-batch-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<std::string> ExportFlags(const BatchArguments& a) {
  std::vector<std::string> flags;
  for (const std::string& set : a.sets) flags.insert(flags.end(), {"--set", set});
  auto option = [&](const char* name, const std::string& value) {
    if (!value.empty()) flags.insert(flags.end(), {name, value});
  };
  option("--format", a.format);
  option("--import-scale", a.importScale);
  option("--up", a.up);
  option("--config-dir", Absolute(a.configDir).string());
  option("--module", Absolute(a.modulePath).string());
  option("--image-dir", Absolute(a.imageDir).string());
  option("--data-dir", Absolute(a.dataDir).string());
  if (a.keepClips) flags.push_back("--keep-clips");
  if (a.selected) flags.push_back("--selected");
  return flags;
}

// The record of a job from what it left and how it ended: the job's own record when it finished,
// else one that says why it did not. The batch's measures of time and memory win over the job's.
ModelRecord RecordOfJob(const std::filesystem::path& recordFile, const std::filesystem::path& log,
                        const JobResult& result, const BatchArguments& arguments,
                        ModelRecord fallback) {
  ModelRecord record = fallback;
  bool own = false;
  if (result.started && result.signal == 0 && result.exitStatus >= 0) {
    try {
      record = ReadRecordFile(recordFile);
      own = record.exitStatus == result.exitStatus;
    } catch (const std::exception&) {
    }
  }
  if (!own) {
    record = fallback;
    record.status = ModelStatus::kFailed;
    record.exitStatus = result.exitStatus;
    record.warnings = LogLines(log);
    if (!result.started) {
      record.reason = "not run: the batch was interrupted";
    } else if (result.interrupted) {
      record.reason = "ended: the batch was interrupted";
    } else if (result.timedOut) {
      record.reason = "ended after the time limit of " + Number(arguments.timeLimit) + " s";
    } else if (result.signal != 0) {
      record.reason = "crashed: " + SignalText(result.signal);
      if (arguments.memoryLimit > 0) {
        record.reason +=
            " (it may have reached the memory limit of " + Number(arguments.memoryLimit) + " MB)";
      }
    } else {
      record.status = StatusOfExit(result.exitStatus);
      record.reason = record.warnings.empty() ? "exit status " + std::to_string(result.exitStatus)
                                              : record.warnings.back();
    }
  }
  if (own && record.status == ModelStatus::kFailed && arguments.memoryLimit > 0 &&
      (record.reason.find("bad_alloc") != std::string::npos ||
       record.reason.find("out of memory") != std::string::npos)) {
    record.reason +=
        " (out of memory under the memory limit of " + Number(arguments.memoryLimit) + " MB)";
  }
  if (result.started) {
    record.seconds = result.seconds;
    record.cpuSeconds = result.cpuSeconds;
    record.peakKilobytes = result.peakKilobytes;
  }
  return record;
}

// A preview job for `record`'s file, numbered `index` among the records.
// `xfile` is the file as the export wrote it (a record's names may have lost bytes that are not
// UTF-8).
Job PreviewJob(const std::string& program, std::size_t index, const std::string& xfile,
               ModelRecord& record, const std::filesystem::path& report,
               const std::filesystem::path& work, const std::function<void()>& done) {
  // Numbered, and with the file's name in plain letters: any name makes a URL and a file name.
  std::string stem = std::filesystem::path(xfile).stem().string();
  for (char& c : stem) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') c = '_';
  }
  std::string relative = "previews/" + std::to_string(index + 1) + "-" + stem + ".png";
  std::filesystem::path log = work / (std::to_string(index) + "-preview.log");
  Job job;
  job.arguments = {program,  "preview",   xfile, "-o", (report / relative).string(),
                   "--size", kPreviewSize};
  job.log = log;
  job.done = [&record, relative, log, done](const JobResult& result) {
    if (result.started && result.exitStatus == 0) {
      record.preview = relative;
    } else if (result.started) {
      std::vector<std::string> lines = LogLines(log);
      record.warnings.push_back("no preview: " +
                                (lines.empty() ? std::string("preview failed") : lines.back()));
    }
    done();
  };
  return job;
}

std::uint64_t MemoryLimitBytes(const BatchArguments& a, int jobs) {
  if (a.memoryLimit > 0) return static_cast<std::uint64_t>(a.memoryLimit * 1024 * 1024);
  // Address space, which counts more than what is resident: the machine's memory shared by the
  // jobs, with a floor that lets every process map its libraries.
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  std::uint64_t total = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
  return std::max<std::uint64_t>(total / static_cast<std::uint64_t>(jobs), 2ull << 30);
}

int Finish(std::vector<ModelRecord>& records, BatchTotals totals, const std::string& report) {
  if (!report.empty()) {
    if (auto problem = WriteReport(report, records, totals)) {
      PrintSummary(std::cout, records, totals, {});
      std::cerr << "ruvx batch: the report could not be written: " << *problem << "\n";
      return kExitWriteFailed;
    }
  }
  PrintSummary(std::cout, records, totals, report);
  return totals.AllWhole() ? kExitSuccess : kExitBatchNotWhole;
}

int RunBatch(const BatchArguments& arguments) {
  if (arguments.outputFolder.empty()) {
    std::cerr << "ruvx batch: -o OUTDIR is required\n";
    return kExitUsage;
  }
  const int jobs = arguments.jobs > 0
                       ? arguments.jobs
                       : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const std::filesystem::path output = Absolute(arguments.outputFolder);
  const std::filesystem::path report = Absolute(arguments.report);
  std::vector<std::filesystem::path> excluded{output};
  if (!report.empty()) excluded.push_back(report);
  std::vector<std::string> extensions;
  try {
    extensions = sim::import::ModelFileExtensions();
  } catch (const sim::import::ReaderModuleError& failure) {
    std::cerr << "ruvx batch: cannot tell which files are models: " << failure.Problem()
              << "; nothing exported\n";
    return kExitModule;
  }
  BatchInputs inputs = FindBatchInputs(arguments.inputs, extensions, excluded);
  for (const BatchInput& model : inputs.models) {
    // A .x source exported into its own folder would be written over while it is read.
    std::error_code same;
    if (std::filesystem::equivalent(model.source, output / model.relativeOutput, same)) {
      inputs.problems.push_back(model.source.string() + " would be written over by its own export");
    }
  }
  for (const std::string& problem : inputs.problems) std::cerr << "ruvx batch: " << problem << "\n";
  if (!inputs.problems.empty()) {
    std::cerr << "ruvx batch: nothing exported\n";
    return kExitBadInput;
  }
  if (inputs.models.empty()) {
    std::cerr << "ruvx batch: no model or scene files found; nothing exported\n";
    return kExitBadInput;
  }
  if (!inputs.skipped.empty()) {
    std::cerr << "ruvx batch: " << inputs.skipped.size()
              << " JSON files that are not scene files left out, such as "
              << inputs.skipped.front().string() << "\n";
  }

  WorkFolder work;
  std::error_code error;
  std::filesystem::create_directories(output, error);
  if (work.Path().empty() || error) {
    std::cerr << "ruvx batch: cannot make " << (error ? output.string() : "a temporary folder")
              << (error ? ": " + error.message() : "") << "; nothing exported\n";
    return kExitWriteFailed;
  }
  if (!report.empty()) std::filesystem::create_directories(report / "previews", error);
  const std::filesystem::path temporary = work.Path() / "tmp";
  std::filesystem::create_directories(temporary, error);

  const std::string program = ThisProgram();
  const std::vector<std::string> flags = ExportFlags(arguments);
  std::vector<ModelRecord> records(inputs.models.size());
  BatchProgress progress(static_cast<int>(records.size()));
  // The jobs' temporary files (options of one run) go into the batch's folder, which is removed
  // whole, so that a job ended by its time limit leaves nothing behind.
  JobRunner runner(jobs, {arguments.timeLimit, MemoryLimitBytes(arguments, jobs)},
                   {"TMPDIR=" + temporary.string()});
  int batchWideStatus = kExitSuccess;
  std::string batchWideProblem;

  for (std::size_t i = 0; i < inputs.models.size(); ++i) {
    const BatchInput& model = inputs.models[i];
    // As given, so that the records name the files as the user does.
    std::filesystem::path target =
        std::filesystem::path(arguments.outputFolder) / model.relativeOutput;
    std::filesystem::create_directories(target.parent_path(), error);
    // Files rather than a folder per job: a new folder costs the file system far more.
    std::filesystem::path recordFile = work.Path() / (std::to_string(i) + ".json");
    std::filesystem::path log = work.Path() / (std::to_string(i) + ".log");
    ModelRecord fallback;
    fallback.input = model.source.string();
    fallback.output = target.string();
    Job job;
    job.arguments = {program,         "export",   model.source.string(),
                     target.string(), "--record", recordFile.string()};
    job.arguments.insert(job.arguments.end(), flags.begin(), flags.end());
    job.log = log;
    job.done = [&, i, recordFile, log, fallback](const JobResult& result) {
      ModelRecord& record = records[i];
      record = RecordOfJob(recordFile, log, result, arguments, fallback);
      // A command line the exporter refuses, or a module that cannot be loaded, fails every model
      // alike: the batch stops with that job's message and status.
      if (result.started && !result.timedOut && result.signal == 0 &&
          (result.exitStatus == kExitUsage || result.exitStatus == kExitModule) &&
          batchWideStatus == kExitSuccess) {
        batchWideStatus = result.exitStatus;
        batchWideProblem = record.reason;
        runner.Cancel();
      }
      bool written =
          record.status == ModelStatus::kExported || record.status == ModelStatus::kIncomplete;
      if (!report.empty() && written) {
        runner.AddNext(PreviewJob(program, i, fallback.output, record, report, work.Path(),
                                  [&progress, &record] { progress.Ended(record); }));
      } else {
        progress.Ended(record);
      }
    };
    runner.Add(std::move(job));
  }
  const auto start = std::chrono::steady_clock::now();
  progress.Draw();
  bool whole = runner.Run([&progress] { progress.Draw(); });
  progress.Clear();
  if (batchWideStatus != kExitSuccess) {
    std::cerr << "ruvx batch: " << batchWideProblem << "\nruvx batch: stopped\n";
    return batchWideStatus;
  }
  BatchTotals totals(records);
  totals.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  totals.jobs = jobs;
  totals.interrupted = !whole;
  return Finish(records, totals, arguments.report);
}

// The records named (files, or folders searched for .json files), made into one report.
int MergeReports(const BatchArguments& arguments) {
  if (arguments.report.empty()) {
    std::cerr << "ruvx batch: --merge-reports needs --report DIR\n";
    return kExitUsage;
  }
  if (arguments.inputs.empty()) {
    std::cerr << "ruvx batch: --merge-reports needs the records (files or folders)\n";
    return kExitUsage;
  }
  std::vector<std::filesystem::path> files;
  for (const std::string& input : arguments.inputs) {
    std::error_code error;
    if (!std::filesystem::is_directory(input, error)) {
      files.emplace_back(input);
      continue;
    }
    for (std::filesystem::recursive_directory_iterator walk(input, error), end;
         !error && walk != end; walk.increment(error)) {
      if (walk->path().extension() == ".json" && !walk->is_directory(error)) {
        files.push_back(walk->path());
      }
    }
  }
  std::vector<ModelRecord> records;
  bool bad = false;
  for (const auto& file : files) {
    try {
      records.push_back(ReadRecordFile(file));
    } catch (const std::exception& failure) {
      std::cerr << "ruvx batch: " << failure.what() << "\n";
      bad = true;
    }
  }
  if (bad) {
    std::cerr << "ruvx batch: no report written\n";
    return kExitBadInput;
  }
  std::sort(records.begin(), records.end(),
            [](const ModelRecord& a, const ModelRecord& b) { return a.input < b.input; });
  const std::filesystem::path report = Absolute(arguments.report);
  std::error_code error;
  std::filesystem::create_directories(report / "previews", error);
  WorkFolder work;
  const int jobs = arguments.jobs > 0
                       ? arguments.jobs
                       : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  JobRunner runner(jobs, {arguments.timeLimit, MemoryLimitBytes(arguments, jobs)});
  BatchProgress progress(static_cast<int>(records.size()));
  const std::string program = ThisProgram();
  for (std::size_t i = 0; i < records.size(); ++i) {
    ModelRecord& record = records[i];
    record.preview.clear();
    if (record.status == ModelStatus::kExported || record.status == ModelStatus::kIncomplete) {
      runner.Add(PreviewJob(program, i, record.output, record, report, work.Path(),
                            [&progress, &record] { progress.Ended(record); }));
    } else {
      progress.Ended(record);
    }
  }
  const auto start = std::chrono::steady_clock::now();
  bool whole = runner.Run([&progress] { progress.Draw(); });
  progress.Clear();
  BatchTotals totals(records);
  totals.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  totals.jobs = jobs;
  totals.interrupted = !whole;
  return Finish(records, totals, arguments.report);
}

}  // namespace

void AddBatchCommand(CLI::App& app, int& exitStatus) {
  auto a = std::make_shared<BatchArguments>();
  CLI::App* command = app.add_subcommand(
      "batch", "Export many model and scene files, each by its own `ruvx export`, N at a time");
  command->add_option("IN", a->inputs,
                      "Model or scene files, and folders searched through for them (with "
                      "--merge-reports: records of `ruvx export --record`, or folders of them)");
  command->add_option("-o,--output", a->outputFolder,
                      "The folder the .x files go to, in the folder layout of their sources");
  command->add_option("-j,--jobs", a->jobs, "Exports at a time (default: the number of cores)")
      ->check(CLI::Range(1, 1024));
  command
      ->add_option("--time-limit", a->timeLimit,
                   "Seconds one export may take before it is ended (0: no limit)")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  command
      ->add_option("--memory-limit", a->memoryLimit,
                   "Address space one export may take, in MB (default: the machine's memory "
                   "divided by the jobs, at least 2048)")
      ->check(CLI::PositiveNumber);
  command->add_option("--report", a->report,
                      "Write report.json and index.html (previews of every model) into this "
                      "folder");
  command->add_flag("--merge-reports", a->merge,
                    "Make the report (--report) of the records given as IN instead of exporting");
  command->add_option("--set", a->sets, "As for `ruvx export` (repeatable)")
      ->type_name("KEY=VALUE");
  command->add_option("--format", a->format, "As for `ruvx export`")
      ->check(CLI::IsMember({"text", "binary", "compressed"}));
  command->add_option("--import-scale", a->importScale, "As for `ruvx export`")
      ->check(CLI::PositiveNumber);
  command->add_option("--up", a->up, "As for `ruvx export`")->check(CLI::IsMember({"y", "z"}));
  command->add_flag("--keep-clips", a->keepClips, "As for `ruvx export`");
  command->add_flag("--selected", a->selected, "As for `ruvx export`");
  command->add_option("--config-dir", a->configDir, "As for `ruvx export`");
  command->add_option("--module", a->modulePath, "As for `ruvx export`");
  command->add_option("--image-dir", a->imageDir, "As for `ruvx export`");
  command->add_option("--data-dir", a->dataDir, "As for `ruvx export`");
  command->callback([a, &exitStatus] { exitStatus = a->merge ? MergeReports(*a) : RunBatch(*a); });
}

}  // namespace ruvx
