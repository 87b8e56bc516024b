// A second thread running one task, for the reader, the transform pass and
// the emission of large drawings. What the task throws is carried over to
// the thread that waits for it, never left to end the program.
#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

#include "cadxform/fp_setup.h"

namespace cadxform {

class TWorkerThread {
 public:
  TWorkerThread() = default;
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;
  // Waits for a running task (its owner makes it stop first).
  ~TWorkerThread() { Wait(); }

  // Runs task() on a new thread; false when the system has none to give
  // (task was not run). The thread first sets the x87 unit as start-up set
  // the main thread's: a new thread on Windows begins with a 53-bit
  // mantissa, and the writers' long double tests (SamePoint, the measured
  // length of a dimension) would then round differently from one pass.
  template <class F>
  bool Start(F task) {
    try {
      thread_ = std::thread([this, task]() mutable {
        try {
          EnsureExtendedPrecision();
          task();
        } catch (...) {
          error_ = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

  // Waits for the task to end, whatever it threw.
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }

  // Waits for the task to end and rethrows what it threw.
  void Finish() {
    Wait();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  }

 private:
  std::exception_ptr error_;
  std::thread thread_;
};

}  // namespace cadxform
