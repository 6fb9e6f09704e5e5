#pragma once
// The host's worker threads for its image services: a small pool of plain std::threads that
// sleep on a condition variable between jobs. A spinning thread team (OpenMP's default wait
// policy keeps its workers busy-waiting after each parallel region) takes a core from the rest
// of the process on a small machine; plain threads are also what ThreadSanitizer understands.

#include <cstdint>
#include <optional>
#include <string_view>

namespace hostsim {

// The most threads a job may be given: far beyond any machine's cores, and well short of the
// thousands whose stacks alone would fill a process's address space.
inline constexpr int kMaxWorkerThreads = 1024;

// A thread count as written in a setting ("0" to "1024", 0 meaning one per core); nothing for
// any other text.
std::optional<int> ParseThreadCount(std::string_view text);

// Sets how many threads run a job, the caller included; 0 means one per core; counts above
// kMaxWorkerThreads are held to it. Without a call, the VELMORA_THREADS environment variable
// says (one per core when unset or not a count). Takes effect only before the services first
// run.
void SetWorkerThreads(int count);

// Lets at most `count` of the threads (the caller included) take part in the jobs that start
// from now on, without restarting the pool; 0 lets all of them. For measuring how a job
// scales with its threads in one process.
void LimitJobThreads(int count);

// Threads that run a job at once: the workers plus the calling thread. Starting the pool
// happens on the first call to this or ParallelFor; when the system refuses a thread, the
// threads already started are stopped and std::runtime_error says how many were asked for.
int ThreadCount();

// Runs task(index, thread) for every index in [0, count), spread over the threads in order of
// index (each thread takes the next index when it is free); `thread` is in [0, ThreadCount())
// and no two tasks running at once share it, so it can pick per-thread scratch. The calling
// thread is thread 0 and takes part. Returns when every task has run. Tasks must not throw.
// A call made while the pool is busy (from a task, or from another thread) runs its tasks on
// the calling thread alone, as thread 0 of its own: per-thread scratch then belongs to the
// caller's own thread_local storage, never shared.
class TaskRef {
 public:
  template <class Fn>
  TaskRef(const Fn& fn)  // NOLINT: a view of any callable, like a function_ref
      : object_(&fn), call_([](const void* object, std::int64_t index, int thread) {
          (*static_cast<const Fn*>(object))(index, thread);
        }) {}
  void operator()(std::int64_t index, int thread) const { call_(object_, index, thread); }

 private:
  const void* object_;
  void (*call_)(const void*, std::int64_t, int);
};

void ParallelFor(std::int64_t count, TaskRef task);

}  // namespace hostsim
