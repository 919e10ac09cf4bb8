#pragma once
// Debugging aid: prints "Obtained N stack frames." and then the symbol text
// of each of the (at most 10) innermost frames of the caller, one a line, to
// standard output.
void print_trace();
