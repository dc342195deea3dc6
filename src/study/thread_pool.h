// The ordered thread pool every study runs on.
#pragma once

#include <cstddef>
#include <functional>

namespace ascent {

// Runs work(i) for every i < count on `jobs` threads (0: the machine's
// cores; 1: all on the calling thread) and calls deliver(i) on the calling
// thread in index order, as soon as i and every index before it are done.
// Workers never run more than runWindow(count, jobs, window) indices ahead
// of the last one delivered, so a caller that frees what it delivered keeps
// at most that many results. `stop` is asked before each index is taken,
// from any thread: once it returns true no new index starts and the indices
// already done are delivered. An exception from work or deliver stops the
// pool and is rethrown here. Returns how many indices were delivered.
std::size_t runInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<void(std::size_t)>& deliver,
                       const std::function<bool()>& stop = {}, std::size_t window = 4096);
// The window runInOrder keeps for these arguments: `window`, raised to the
// number of threads it runs, since every thread holds an index in flight. A
// caller's ring of results needs this many slots, not `window`.
std::size_t runWindow(std::size_t count, unsigned jobs, std::size_t window = 4096);

// The number of threads `jobs` means: itself, or the machine's cores for 0.
unsigned resolveJobs(unsigned jobs);

}  // namespace ascent
