#pragma once
// Counts the bytes this program holds through operator new, and the most it held at once,
// so tests can bound what a reader allocates for an input of a given size.

#include <cstddef>

namespace fault {

std::size_t HeldBytes();
// Starts a new measurement: the peak becomes what is held now.
void ResetPeak();
std::size_t PeakBytes();

// The most a measured operation held above what was held when it started.
class PeakScope {
public:
    PeakScope() : m_base(HeldBytes()) { ResetPeak(); }
    std::size_t Extra() const { return PeakBytes() - m_base; }

private:
    std::size_t m_base;
};

} // namespace fault
