// Work spread over threads: each index exactly once, and a failure reaches the caller.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/ParallelFor.h"

TEST(ParallelFor, EveryIndexOnceWhateverTheThreadCount)
{
    for (const unsigned threads : {0u, 1u, 3u, 64u}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{1000}}) {
            std::vector<std::atomic<int>> seen(count);
            auto mark = [&](std::size_t i) { ++seen[i]; };
            common::ParallelFor(count, mark, threads);
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_EQ(seen[i].load(), 1) << "index " << i << " of " << count << ", threads " << threads;
        }
    }
}

TEST(ParallelFor, FirstFailureIsRethrownAfterTheOthersStop)
{
    std::atomic<int> running{0};
    std::atomic<int> ran{0};
    auto work = [&](std::size_t i) {
        ++running;
        ++ran;
        if (i == 5)
            throw std::length_error("five");
        // Calls that take a moment, as real ones do: trivial ones could all be done before
        // the failing call gets to throw.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --running;
    };
    EXPECT_THROW(common::ParallelFor(10000, work, 4), std::length_error);
    EXPECT_EQ(running.load(), 1); // only the failed call never finished
    EXPECT_LT(ran.load(), 10000); // the rest were skipped
}
