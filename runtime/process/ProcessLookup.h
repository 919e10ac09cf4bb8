#pragma once
// Finds a running process by its command name through the "/proc" file
// system (under the server root). The caller passes the pid it found last
// time as a hint, so a process that keeps running is found without a scan.

// The pid of a process whose command name (the text between the parentheses
// of "/proc/<pid>/stat") equals name exactly, or -1. A hint above 0 is tried
// first; otherwise, or when it does not match, "/proc" is scanned in
// directory order.
int find_proc_by_name(char const* name, int pid);
