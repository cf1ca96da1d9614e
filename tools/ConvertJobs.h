#pragma once
// Converting one input on several processes at once, each a part cut at a line end, with their
// output written in order.
#include <cstdio>

#include "LineStream.h"

// Converts one input on jobs processes, which start once the input proves larger than a part:
// a regular file's parts each job reads by itself, any other input's are read here and handed to
// the jobs in turn. False after reporting invalid UTF-8. A read error here is left to the caller,
// once the jobs have written their parts; one in a job is reported at once.
bool ConvertStreamInParallel(std::FILE* in, TStream& stream, ProgressBar& bar, size_t jobs);
