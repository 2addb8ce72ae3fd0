#include "common/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace common {

void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& work, unsigned maxThreads)
{
    if (maxThreads == 0)
        maxThreads = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min<std::size_t>(maxThreads, count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            work(i);
        return;
    }

    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    auto run = [&] {
        for (std::size_t i; !failed.load(std::memory_order_relaxed) && (i = next.fetch_add(1)) < count;) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard<std::mutex> hold(errorLock);
                if (!error)
                    error = std::current_exception();
                failed = true;
            }
        }
    };

    std::vector<std::thread> helpers;
    try {
        helpers.reserve(threads - 1);
        for (std::size_t t = 1; t < threads; ++t)
            helpers.emplace_back(run);
    } catch (...) {
        // Out of threads or memory: whoever did start, and this thread, share the work.
    }
    run();
    for (std::thread& t : helpers)
        t.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace common
