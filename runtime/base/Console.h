#pragma once
// Terminal modes of standard input for interactive tools: binary mode (no
// line editing and no echo, signals still raised by their keys) and
// non-blocking reads. Failures are reported on standard error.
namespace Console {

// Returns the result of the last terminal call (0 on success).
int SwitchToBinaryMode();
int SwitchToNonBlockMode();

} // namespace Console
