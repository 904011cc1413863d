#pragma once
// Test builds only: the window's repaints of the progress, recorded for the download
// benchmark, one line each, in the file the CUMULO_BENCH_COUNTS environment variable
// names. The product build records nothing.
#include <cstdint>

namespace cumulo {

void CountProgressRepaint(int32_t percent);

}  // namespace cumulo
