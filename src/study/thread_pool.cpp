// The ordered pool: threads take indices from a shared counter and results are
// delivered in index order from a window of finished indices, so what a
// caller sees depends on the indices alone, never on scheduling.
#include "study/thread_pool.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
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

std::size_t runInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<void(std::size_t)>& deliver,
                       const std::function<bool()>& stop, std::size_t window) {
  window = runWindow(count, jobs, window);
  jobs = poolThreads(count, jobs);
  if (jobs == 1) {
    std::size_t i = 0;
    for (; i < count && !(stop && stop()); ++i) {
      work(i);
      deliver(i);
    }
    return i;
  }

  std::mutex mutex;
  std::condition_variable changed;
  // Index i is done when done[i % window] is set. Only indices below
  // delivered + window are ever started, so the indices in flight hold
  // different slots, and a slot is cleared before the index that reuses it
  // can start.
  std::vector<char> done(std::min(count, window), 0);
  std::size_t next = 0;       // the next index to start
  std::size_t delivered = 0;  // indices below this are delivered
  std::size_t running = 0;
  bool stopped = false;
  std::exception_ptr failure;

  auto worker = [&] {
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
  };

  std::vector<std::thread> threads;
  threads.reserve(jobs);
  for (unsigned j = 0; j < jobs; ++j) threads.emplace_back(worker);

  // The calling thread delivers in order.
  {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] {
        return (delivered < count && done[delivered % window]) || failure ||
               ((stopped || next >= count) && running == 0);
      });
      if (failure) break;
      if (delivered < count && done[delivered % window]) {
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
        continue;
      }
      break;  // nothing more will finish
    }
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return delivered;
}

}  // namespace ascent
