// cadxform_runstat: runs one command and reports its wall time and the peak
// resident memory of the child process (POSIX; used by bench/run.sh).
//   cadxform_runstat [--quiet] COMMAND [ARGS...]
// --quiet sends the child's standard output and error to /dev/null (a
// Windows program under Wine runs several times slower when they are pipes).
// Prints one line to standard output:
//   <wall seconds> <peak resident KiB> <exit status> <CPU seconds>
// CPU seconds are the child's user plus system time, which a busy machine
// disturbs less than the wall time.
// The exit status is the child's, or 128 + signal number when a signal ended
// it, or 127 when the command could not be started. The runner's own exit
// status is 0 once the child has been waited for, 2 on a usage error.
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return 255;
}

}  // namespace

// Points the standard output and error of this process at /dev/null.
void SilenceOutput() {
  const int fd = open("/dev/null", O_WRONLY);
  if (fd < 0) return;
  dup2(fd, 1);
  dup2(fd, 2);
  close(fd);
}

int main(int argc, char** argv) {
  const bool quiet = argc > 1 && std::strcmp(argv[1], "--quiet") == 0;
  if (quiet) {
    --argc;
    ++argv;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: cadxform_runstat [--quiet] COMMAND [ARGS...]\n");
    return 2;
  }
  std::fflush(stdout);
  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("cadxform_runstat: fork");
    return 2;
  }
  if (pid == 0) {
    if (quiet) SilenceOutput();
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int waitStatus = 0;
  rusage usage{};
  pid_t done;
  do {
    done = wait4(pid, &waitStatus, 0, &usage);
  } while (done < 0 && errno == EINTR);
  const double wall = Now() - start;
  if (done < 0) {
    std::perror("cadxform_runstat: wait4");
    return 2;
  }
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  // ru_maxrss is in KiB on Linux.
  std::printf("%.6f %ld %d %.6f\n", wall, static_cast<long>(usage.ru_maxrss), StatusOf(waitStatus), cpu);
  return 0;
}
