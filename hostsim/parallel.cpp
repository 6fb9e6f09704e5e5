#include "hostsim/parallel.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace hostsim {
namespace {

// 0: one thread per core. Read when the pool is first used.
std::atomic<int> requested_threads{0};
// 0: every thread of the pool takes part in a job.
std::atomic<int> job_threads{0};

unsigned ThreadsWanted() {
  int wanted = requested_threads.load();
  if (wanted <= 0) {
    if (const char* text = std::getenv("VELMORA_THREADS"))
      wanted = ParseThreadCount(text).value_or(0);
  }
  if (wanted > 0) return static_cast<unsigned>(wanted);
  return std::clamp(std::thread::hardware_concurrency(), 1u,
                    static_cast<unsigned>(kMaxWorkerThreads));
}

class Pool {
 public:
  Pool() {
    const unsigned threads = ThreadsWanted();
    try {
      for (unsigned i = 1; i < threads; ++i)
        workers_.emplace_back([this, i] { Work(static_cast<int>(i)); });
    } catch (const std::system_error& error) {
      // A std::thread still running when destroyed ends the process: stop the started ones.
      const std::size_t started = workers_.size() + 1;
      Stop();
      throw std::runtime_error("cannot start " + std::to_string(threads) +
                               " worker threads (only " + std::to_string(started) +
                               " started: " + error.what() + "); ask for fewer");
    }
  }

  ~Pool() { Stop(); }

  int threads() const { return static_cast<int>(workers_.size()) + 1; }

  void Run(std::int64_t count, TaskRef task) {
    std::unique_lock<std::mutex> busy;
    if (!in_task && !workers_.empty() && count > 1)
      busy = std::unique_lock(busy_, std::try_to_lock);
    if (!busy.owns_lock()) {
      for (std::int64_t i = 0; i < count; ++i) task(i, 0);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task_ = &task;
      count_ = count;
      next_.store(0, std::memory_order_relaxed);
      open_ = true;
      ++generation_;
    }
    wake_.notify_all();
    Take(task, count, 0);
    // Workers that have not woken by now find the job closed; wait for those that joined.
    std::unique_lock<std::mutex> lock(mutex_);
    open_ = false;
    done_.wait(lock, [this] { return joined_ == 0; });
    task_ = nullptr;
  }

 private:
  void Take(const TaskRef& task, std::int64_t count, int thread) {
    const int limit = job_threads.load(std::memory_order_relaxed);
    if (limit > 0 && thread >= limit) return;
    in_task = true;
    for (std::int64_t i = next_.fetch_add(1); i < count; i = next_.fetch_add(1)) task(i, thread);
    in_task = false;
  }

  void Work(int thread) {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stopping_ || (open_ && generation_ != seen); });
      if (stopping_) return;
      seen = generation_;
      ++joined_;
      const TaskRef task = *task_;
      const std::int64_t count = count_;
      lock.unlock();
      Take(task, count, thread);
      lock.lock();
      if (--joined_ == 0) done_.notify_one();
    }
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
  }

  static thread_local bool in_task;  // a task's own ParallelFor runs inline

  std::mutex busy_;  // one job at a time; a second caller runs its tasks alone
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const TaskRef* task_ = nullptr;
  std::int64_t count_ = 0;
  std::atomic<std::int64_t> next_{0};
  int joined_ = 0;  // workers running the open or closing job
  bool open_ = false;
  std::uint64_t generation_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

thread_local bool Pool::in_task = false;

Pool& ThePool() {
  static Pool pool;
  return pool;
}

}  // namespace

std::optional<int> ParseThreadCount(std::string_view text) {
  int count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc{} || end != text.data() + text.size() || count < 0 ||
      count > kMaxWorkerThreads) {
    return std::nullopt;
  }
  return count;
}

void SetWorkerThreads(int count) {
  requested_threads.store(std::clamp(count, 0, kMaxWorkerThreads));
}

void LimitJobThreads(int count) {
  job_threads.store(std::clamp(count, 0, kMaxWorkerThreads));
}

int ThreadCount() {
  return ThePool().threads();
}

void ParallelFor(std::int64_t count, TaskRef task) {
  ThePool().Run(count, task);
}

}  // namespace hostsim
