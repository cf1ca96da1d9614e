#pragma once
// Converting one input on several processes at once, each a part cut at a line end, with their
// output written in order.
#include <cstdio>

#include "LineStream.h"

// Reads one input a part at a time and hands the parts to jobs processes, which start once the
// input proves larger than a part; false after reporting invalid UTF-8. A read error is left to
// the caller, once the jobs have written their parts.
bool ConvertStreamInParallel(std::FILE* in, TStream& stream, ProgressBar& bar, size_t jobs);
