#pragma once
// Heap bytes in use and their peak, counted by the test program's own global
// operator new and delete: a reader's memory is measured as what it asks for,
// whether or not the pages are ever touched. The tables' node blocks are
// counted with it.

#include <cstddef>

namespace heap {

std::size_t InUse();
// Starts a new measurement: the peak is reset to what is in use now.
void ResetPeak();
// The most bytes in use since the last ResetPeak, above what was in use then.
std::size_t PeakSinceReset();

} // namespace heap
