// The ordered pool: threads take indices from a shared counter and results are
// delivered in index order from a window of finished indices, so what a
// caller sees depends on the indices alone, never on scheduling.
#include "study/thread_pool.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ascent {

unsigned resolveJobs(unsigned jobs) {
  return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
}

namespace {

// No more threads than indices.
unsigned poolThreads(std::size_t count, unsigned jobs) {
  return static_cast<unsigned>(
      std::min<std::size_t>(resolveJobs(jobs), std::max<std::size_t>(count, 1)));
}

}  // namespace

std::size_t runWindow(std::size_t count, unsigned jobs, std::size_t window) {
  return std::max<std::size_t>(window, poolThreads(count, jobs));
}

namespace {

using Work = std::function<void(std::size_t)>;

// Index by index on the calling thread.
std::size_t runSerially(std::size_t count, const Work& work, const Work& deliver,
                        const std::function<bool()>& stop) {
  std::size_t i = 0;
  for (; i < count && !(stop && stop()); ++i) {
    work(i);
    deliver(i);
  }
  return i;
}

// What the worker threads and the delivering thread share, under `mutex`.
struct OrderedRun {
  OrderedRun(std::size_t count, std::size_t window, const Work& work, const Work& deliver,
             const std::function<bool()>& stop)
      : count(count), window(window), work(work), deliver(deliver), stop(stop) {}

  // One worker: starts the next index while the window allows it.
  void runWorker() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return stopped || next >= count || next < delivered + window; });
      if (stopped || next >= count) break;
      // `stop` is the caller's: asked under the lock, so one thread at a time.
      if (stop && stop()) {
        stopped = true;
        changed.notify_all();
        break;
      }
      const std::size_t i = next++;
      ++running;
      lock.unlock();
      try {
        work(i);
      } catch (...) {
        lock.lock();
        if (!failure) failure = std::current_exception();
        stopped = true;
        --running;
        changed.notify_all();
        break;
      }
      lock.lock();
      done[i % window] = 1;
      --running;
      changed.notify_all();
    }
  }

  // The calling thread: delivers the finished indices in order.
  void deliverInOrder() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] {
        return (delivered < count && done[delivered % window]) || failure ||
               ((stopped || next >= count) && running == 0);
      });
      if (failure) break;
      if (!(delivered < count && done[delivered % window])) break;  // nothing more will finish
      const std::size_t i = delivered;
      lock.unlock();
      try {
        deliver(i);
      } catch (...) {
        lock.lock();
        failure = std::current_exception();
        stopped = true;
        changed.notify_all();
        break;
      }
      lock.lock();
      done[i % window] = 0;
      ++delivered;
      changed.notify_all();
    }
  }

  const std::size_t count;
  const std::size_t window;
  const Work& work;
  const Work& deliver;
  const std::function<bool()>& stop;
  std::mutex mutex;
  std::condition_variable changed;
  // Index i is done when done[i % window] is set. Only indices below
  // delivered + window are ever started, so the indices in flight hold
  // different slots, and a slot is cleared before the index that reuses it
  // can start.
  std::vector<char> done = std::vector<char>(std::min(count, window), 0);
  std::size_t next = 0;       // the next index to start
  std::size_t delivered = 0;  // indices below this are delivered
  std::size_t running = 0;
  bool stopped = false;
  std::exception_ptr failure;
};

}  // namespace

std::size_t runInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<void(std::size_t)>& deliver,
                       const std::function<bool()>& stop, std::size_t window) {
  window = runWindow(count, jobs, window);
  jobs = poolThreads(count, jobs);
  if (jobs == 1) return runSerially(count, work, deliver, stop);

  OrderedRun run(count, window, work, deliver, stop);
  std::vector<std::thread> threads;
  threads.reserve(jobs);
  for (unsigned j = 0; j < jobs; ++j) threads.emplace_back([&run] { run.runWorker(); });
  run.deliverInOrder();
  for (std::thread& thread : threads) thread.join();
  if (run.failure) std::rethrow_exception(run.failure);
  return run.delivered;
}

}  // namespace ascent
