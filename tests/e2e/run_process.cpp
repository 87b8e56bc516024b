#include "e2e/run_process.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace cadxform::e2e {

std::string ReadFileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Printable(std::string_view bytes, size_t limit) {
  std::string out;
  for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\n') {
      out += "\\n\n";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  if (bytes.size() > limit) out += "... (" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

TProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                          const std::string& cwd, const std::string& scratchDir, const TChildLimits& limits) {
  TChild child(exe, args, cwd, scratchDir, limits);
  return child.Wait();
}

#ifdef _WIN32

namespace {

// UTF-8 text (what std::filesystem::path::string() gives here) as UTF-16, so
// that folder names outside the ANSI code page reach the system whole.
std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

}  // namespace

TChild::TChild(const std::string& exe, const std::vector<std::string>& args, const std::string& cwd,
               const std::string& scratchDir, const TChildLimits&) {
  outPath_ = scratchDir + "\\stdout.txt";
  errPath_ = scratchDir + "\\stderr.txt";
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE out = CreateFileW(Wide(outPath_).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE err = CreateFileW(Wide(errPath_).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  std::wstring cmd = L"\"" + Wide(exe) + L"\"";
  for (const auto& a : args) cmd += L" \"" + Wide(a) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  started_ = CreateProcessW(Wide(exe).c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            Wide(cwd).c_str(), &si, &pi) != 0;
  if (started_) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
  }
  // The child holds its own copies of the output handles.
  CloseHandle(out);
  CloseHandle(err);
}

TChild::~TChild() {
  if (started_ && !ended_) {
    Kill();
    Wait();
  }
}

bool TChild::Running() {
  if (!started_ || ended_) return false;
  return WaitForSingleObject(static_cast<HANDLE>(process_), 0) == WAIT_TIMEOUT;
}

void TChild::Kill() {
  if (started_ && !ended_) TerminateProcess(static_cast<HANDLE>(process_), 137);
}

TProcessResult TChild::Wait() {
  TProcessResult r;
  if (!started_ || ended_) return r;
  WaitForSingleObject(static_cast<HANDLE>(process_), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
  CloseHandle(static_cast<HANDLE>(process_));
  ended_ = true;
  r.Started = true;
  r.ExitCode = static_cast<int>(code);
  r.Stdout = ReadFileBytes(outPath_);
  r.Stderr = ReadFileBytes(errPath_);
  return r;
}

#else

namespace {

// The unprivileged user and group that DropRoot switches to.
constexpr uid_t kNobody = 65534;

// In the forked child, before exec: only plain system calls here.
void ApplyLimits(const TChildLimits& limits) {
  if (limits.DropRoot && geteuid() == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(126);
  }
  if (limits.FileSizeBytes >= 0) {
    // SIGXFSZ as a shell leaves it (ending the process): the tool itself
    // must make the write fail instead.
    signal(SIGXFSZ, SIG_DFL);
    const rlimit lim{static_cast<rlim_t>(limits.FileSizeBytes), static_cast<rlim_t>(limits.FileSizeBytes)};
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(126);
  }
  if (limits.AddressSpaceBytes >= 0) {
    const rlimit lim{static_cast<rlim_t>(limits.AddressSpaceBytes),
                     static_cast<rlim_t>(limits.AddressSpaceBytes)};
    if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(126);
  }
}

}  // namespace

TChild::TChild(const std::string& exe, const std::vector<std::string>& args, const std::string& cwd,
               const std::string& scratchDir, const TChildLimits& limits) {
  outPath_ = scratchDir + "/stdout.txt";
  errPath_ = scratchDir + "/stderr.txt";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || chdir(cwd.c_str()) != 0) _exit(127);
    dup2(out, 1);
    dup2(err, 2);
    ApplyLimits(limits);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  started_ = pid > 0;
  pid_ = pid;
}

TChild::~TChild() {
  if (started_ && !ended_) {
    Kill();
    Wait();
  }
}

bool TChild::Running() {
  if (!started_ || ended_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  ended_ = true;
  status_ = status;
  return false;
}

void TChild::Kill() {
  if (started_ && !ended_) kill(pid_, SIGKILL);
}

bool TChild::Pause() {
  if (!started_ || ended_) return false;
  kill(pid_, SIGSTOP);
  int status = 0;
  if (waitpid(pid_, &status, WUNTRACED) != pid_) return false;
  if (WIFSTOPPED(status)) return true;
  ended_ = true;
  status_ = status;
  return false;
}

void TChild::Resume() {
  if (started_ && !ended_) kill(pid_, SIGCONT);
}

TProcessResult TChild::Wait() {
  TProcessResult r;
  if (!started_) return r;
  if (!ended_) {
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return r;
    ended_ = true;
    status_ = status;
  }
  r.Started = true;
  r.ExitCode = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  r.Stdout = ReadFileBytes(outPath_);
  r.Stderr = ReadFileBytes(errPath_);
  return r;
}

#endif

namespace {

// Current process id, to keep the folders of test runs in parallel apart.
unsigned long OwnProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

}  // namespace

TToolSandbox::TToolSandbox(const std::string& exe, const std::string& name, const fs::path& toolFolder) {
  root_ = fs::temp_directory_path() / ("cadxform_faults_" + std::to_string(OwnProcessId()) + "_" + name);
  fs::remove_all(root_);
  toolDir_ = root_ / toolFolder;
  workDir_ = root_ / "work";
  fs::create_directories(toolDir_);
  fs::create_directories(workDir_);
  exe_ = toolDir_ / fs::path(exe).filename();
  fs::copy_file(exe, exe_);
#ifndef _WIN32
  // The tool may run as "nobody" (TChildLimits::DropRoot): let it into the
  // folders and let it write its standard output and error there.
  fs::permissions(root_, fs::perms::all);
  fs::permissions(workDir_, fs::perms::all);
#endif
}

TToolSandbox::~TToolSandbox() {
  std::error_code ec;
  // A test may have made the tool folder read-only.
  fs::permissions(toolDir_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

void TToolSandbox::PutExchange(std::string_view bytes) const {
  std::ofstream out(ExchangePath(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> TToolSandbox::GetExchange() const {
  if (!fs::is_regular_file(ExchangePath())) return std::nullopt;
  return ReadFileBytes(ExchangePath());
}

std::vector<std::string> TToolSandbox::StrayEntries() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(toolDir_)) {
    const auto name = e.path().filename();
    if (name != exe_.filename() && name != "ZPH_TEMP.TXT") names.push_back(name.string());
  }
  return names;
}

TProcessResult TToolSandbox::Run(const std::vector<std::string>& args, const TChildLimits& limits) const {
  return RunProcess(exe_.string(), args, workDir_.string(), root_.string(), limits);
}

TChild TToolSandbox::Start(const std::vector<std::string>& args, const TChildLimits& limits) const {
  return TChild(exe_.string(), args, workDir_.string(), root_.string(), limits);
}

}  // namespace cadxform::e2e
