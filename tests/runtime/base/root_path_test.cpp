#include "runtime/base/RootPath.h"

#include <gtest/gtest.h>
#include <cstdlib>

TEST(RootPath, AbsolutePathsMoveUnderServerRootAndRelativeOnesStay)
{
    struct Case { char const* root; char const* path; char const* expected; };
    Case const cases[] = {
        {nullptr, "/dev/misc/gw-wd", "/dev/misc/gw-wd"},
        {"", "/dev/misc/gw-wd", "/dev/misc/gw-wd"},
        {"/", "/var/run/server.pid", "/var/run/server.pid"},
        {"/tmp/r", "/var/run/server.pid", "/tmp/r/var/run/server.pid"},
        {"/tmp/r//", "/dev/hal", "/tmp/r/dev/hal"},
        {"/tmp/r", "relative/file", "relative/file"},
    };
    for (auto const& c : cases) {
        if (c.root)
            setenv("SERVER_ROOT", c.root, 1);
        else
            unsetenv("SERVER_ROOT");
        EXPECT_EQ(c.expected, rootPath(c.path)) << (c.root ? c.root : "(unset)") << " " << c.path;
    }
    unsetenv("SERVER_ROOT");
}
