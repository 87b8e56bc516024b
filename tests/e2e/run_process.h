// Runs a program and waits for it: the end-to-end tests start the real
// executable this way, with its own working directory.
//
// Example (run the tool on some bytes in a fresh folder):
//   cadxform::e2e::TToolSandbox box(TestArgs[0], "my_case");
//   box.PutExchange("ci 1 2 3\r\n");
//   const auto r = box.Run({"1", "1", "0", "0"});
//   // r.ExitCode, r.Stderr, box.GetExchange(), box.StrayEntries()
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadxform::e2e {

struct TProcessResult {
  bool Started = false;
  int ExitCode = -1;  // 128 + signal number when a POSIX child died by a signal
  std::string Stdout;
  std::string Stderr;
};

// Conditions set in the child before it starts the program. POSIX only;
// on Windows they are ignored (tests that need them skip there).
struct TChildLimits {
  // RLIMIT_FSIZE in bytes (-1: unchanged). SIGXFSZ keeps its default
  // action (ending the process), as a shell leaves it.
  int64_t FileSizeBytes = -1;
  // RLIMIT_AS in bytes (-1: unchanged): allocations fail beyond it.
  int64_t AddressSpaceBytes = -1;
  // When started as root, run as the unprivileged user "nobody" (uid and
  // gid 65534), so that file permissions apply.
  bool DropRoot = false;
};

// A started child process, which the caller may wait for or kill.
class TChild {
 public:
  // Starts exe with args in the folder cwd; standard output and standard
  // error go to files in scratchDir. On Windows every argument is passed in
  // double quotes (the tool's own command-line rule drops them), and the
  // strings are UTF-8 (as std::filesystem::path::string() gives them).
  TChild(const std::string& exe, const std::vector<std::string>& args, const std::string& cwd,
         const std::string& scratchDir, const TChildLimits& limits = {});
  ~TChild();
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  bool Started() const { return started_; }
  // True while the process has not ended (does not wait).
  bool Running();
  // Ends the process at once (SIGKILL; TerminateProcess on Windows).
  void Kill();
#ifndef _WIN32
  // The process id.
  int Id() const { return pid_; }
  // Stops the process (SIGSTOP) and waits until all its threads have
  // stopped; false when it ended instead.
  bool Pause();
  // Lets a paused process go on (SIGCONT).
  void Resume();
#endif
  // Waits for the end and collects exit status and output. Call once.
  TProcessResult Wait();

 private:
  std::string outPath_, errPath_;
  bool started_ = false;
  bool ended_ = false;
  int status_ = -1;
#ifdef _WIN32
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
};

// Runs exe to its end: TChild followed by Wait.
TProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                          const std::string& cwd, const std::string& scratchDir,
                          const TChildLimits& limits = {});

// A fresh folder for one run of the tool:
//   <temp>/cadxform_faults_<process id>_<name>/tool   the copied executable
//                                                     and its exchange file
//   .../work                                          the working directory
// The tool looks for its exchange file beside itself, so each run gets its
// own copy. toolFolder replaces "tool" (it may be several levels deep).
// Everything is removed again by the destructor.
class TToolSandbox {
 public:
  TToolSandbox(const std::string& exe, const std::string& name,
               const std::filesystem::path& toolFolder = "tool");
  ~TToolSandbox();
  TToolSandbox(const TToolSandbox&) = delete;
  TToolSandbox& operator=(const TToolSandbox&) = delete;

  const std::filesystem::path& ToolDir() const { return toolDir_; }
  std::filesystem::path ExchangePath() const { return toolDir_ / "ZPH_TEMP.TXT"; }

  // Writes bytes as the exchange file (replacing any).
  void PutExchange(std::string_view bytes) const;
  // The exchange file's bytes; nullopt when nothing (or a folder) is there.
  std::optional<std::string> GetExchange() const;
  // Names in the tool folder other than the executable and the exchange
  // file (temporary files left behind, for example).
  std::vector<std::string> StrayEntries() const;

  // Runs the tool to its end from the working directory.
  TProcessResult Run(const std::vector<std::string>& args, const TChildLimits& limits = {}) const;
  // Starts the tool without waiting (to kill it later).
  TChild Start(const std::vector<std::string>& args, const TChildLimits& limits = {}) const;

 private:
  std::filesystem::path root_, toolDir_, workDir_, exe_;
};

// Reads a whole file as bytes ("" when it cannot be read).
std::string ReadFileBytes(const std::filesystem::path& p);

// bytes with line ends shown as "\n" and other non-printable bytes as \xNN,
// cut after `limit` bytes: readable failure messages.
std::string Printable(std::string_view bytes, size_t limit = 2000);

}  // namespace cadxform::e2e
