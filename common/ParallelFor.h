#pragma once

#include <cstddef>
#include <functional>

namespace common {

// Calls work(i) once for every i in [0, count), spread over at most maxThreads threads (the
// caller's among them; 0 means one per core). Indices are handed out one at a time, so
// uneven pieces still keep every thread busy. When threads cannot be started the calling
// thread does the rest. The first exception a call throws is rethrown here once every thread
// has stopped; the indices not yet started are then skipped.
void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& work, unsigned maxThreads = 0);

} // namespace common
