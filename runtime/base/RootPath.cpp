#include "runtime/base/RootPath.h"

#include <cstdlib>

std::string serverRoot()
{
    char const* env = std::getenv("SERVER_ROOT");
    std::string root = env ? env : "";
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

std::string rootPath(std::string const& absolute)
{
    std::string root = serverRoot();
    if (root.empty() || absolute.empty() || absolute[0] != '/')
        return absolute;
    return root + absolute;
}
