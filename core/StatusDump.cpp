#include "core/StatusDump.h"

#include "runtime/loop/Multiplexer.h"
#include "runtime/base/RootPath.h"
#include "runtime/process/Version.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>

std::string StatusDump::path()
{
    return rootPath("/var/log/server-status");
}

void StatusDump::write(std::ostream& out)
{
    std::time_t now = std::time(nullptr);
    char when[32] = "";
    std::tm local {};
    if (::localtime_r(&now, &local))
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
    out << "==================== server status " << when << " ====================\n";
    out << "version : ";
    Version::current.put(out);
    out << '\n';
    multiplexer.dump(out);
}

bool StatusDump::writeFile()
{
    std::string file = path();
    std::ofstream out(file, std::ios::out | std::ios::trunc);
    if (out) {
        write(out);
        out.close();
        if (out)
            return true;
    }
    std::cerr << "status dump: can't write " << file << ": " << std::strerror(errno) << std::endl;
    return false;
}
