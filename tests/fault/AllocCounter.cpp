// Replaces the global operator new and delete of the resource test program. Each block
// carries its size in a header, so delete knows what it gives back.

#include "AllocCounter.h"

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t HEADER = alignof(std::max_align_t) > sizeof(std::size_t) ? alignof(std::max_align_t)
                                                                               : sizeof(std::size_t);
std::size_t g_held = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t size)
{
    void* raw = std::malloc(size + HEADER);
    if (!raw)
        return nullptr;
    *static_cast<std::size_t*>(raw) = size;
    g_held += size;
    if (g_held > g_peak)
        g_peak = g_held;
    return static_cast<char*>(raw) + HEADER;
}

void Release(void* p) noexcept
{
    if (!p)
        return;
    void* raw = static_cast<char*>(p) - HEADER;
    g_held -= *static_cast<std::size_t*>(raw);
    std::free(raw);
}

} // namespace

namespace fault {

std::size_t HeldBytes()
{
    return g_held;
}
void ResetPeak()
{
    g_peak = g_held;
}
std::size_t PeakBytes()
{
    return g_peak;
}

} // namespace fault

void* operator new(std::size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    Release(p);
}
void operator delete[](void* p) noexcept
{
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Release(p);
}
