#include "runtime/process/PidFile.h"
#include "runtime/process/ProcessLookup.h"
#include "support/ScratchRoot.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

std::string const pidFile = "/var/run/server.pid";
std::string ownPid() { return std::to_string(::getpid()); }

} // namespace

TEST(PidFile, HoldsThePidWhileTheObjectLivesAndIsRemovedAfter)
{
    ScratchRoot root;
    root.makeDir("/var/run");
    {
        Linux::Run run("server");
        EXPECT_EQ(root.path(pidFile), run.path());
        EXPECT_EQ(ownPid(), root.read(pidFile));
    }
    EXPECT_FALSE(root.exists(pidFile));
}

TEST(PidFile, IsKeptWhenAnotherProcessHasTakenItOver)
{
    ScratchRoot root;
    root.makeDir("/var/run");
    {
        Linux::Run run("server");
        root.write(pidFile, "1");
    }
    EXPECT_EQ("1", root.read(pidFile));
}

TEST(PidFile, AFileThatCouldNotBeMadeIsNeverRemoved)
{
    ScratchRoot root;
    {
        Linux::Run run("server"); // no /var/run directory: nothing written
        EXPECT_FALSE(root.exists(pidFile));
        root.write(pidFile, ownPid());
    }
    EXPECT_EQ(ownPid(), root.read(pidFile));
}

TEST(ProcessLookup, FindsACommandByHintOrByScanningProc)
{
    ScratchRoot root;
    root.write("/proc/12/stat", "12 (snmpagent) S 1 12 12 0 -1");
    root.write("/proc/34/stat", "34 (a) b) (c) R 1 34 34 0 -1");
    root.write("/proc/56/stat", "");
    root.write("/proc/78/stat", "78 (unterminated S 1");
    root.write("/proc/self/stat", "99 (selfish) S 1");
    std::string const longName(300, 'x');
    root.write("/proc/90/stat", "90 (" + longName + ") S 1");

    struct Case { char const* what; char const* name; int hint; int expected; };
    Case const cases[] = {
        {"scan without a hint", "snmpagent", 0, 12},
        {"the hint matches", "snmpagent", 12, 12},
        {"a stale hint falls back to the scan", "snmpagent", 34, 12},
        {"a hint naming no process", "snmpagent", 4242, 12},
        {"a command holding ')' is compared whole", "a) b) (c", 0, 34},
        {"case matters", "SNMPAGENT", 0, -1},
        {"a prefix is no match", "snmp", 0, -1},
        {"non-numeric entries are skipped", "selfish", 0, -1},
        {"a stat text without ')' is no match", "unterminated S 1", 78, -1},
        {"only the first 255 bytes are read", longName.c_str(), 90, -1},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.expected, find_proc_by_name(c.name, c.hint)) << c.what;
}

TEST(ProcessLookup, NoProcDirectoryFindsNothing)
{
    ScratchRoot root;
    EXPECT_EQ(-1, find_proc_by_name("server", 0));
    EXPECT_EQ(-1, find_proc_by_name("server", 1));
}
