#pragma once
// Every absolute path the server touches (devices, /var/..., /usr/local/etc/...,
// driver status files) goes through rootPath(), which puts it under the
// directory named by the environment variable SERVER_ROOT. Unset or empty,
// the root is "/" and paths are used as they are. This lets the server and
// its tests run unprivileged against a simulated board in a directory tree
// of their own.
#include <string>

std::string rootPath(std::string const& absolute);

// The current root directory, without a trailing slash ("" for "/").
std::string serverRoot();
