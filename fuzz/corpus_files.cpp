// 64-bit directory entries: a 32-bit readdir fails with EOVERFLOW on a file
// system with large inode numbers (the cross build's tests run under qemu).
#define _FILE_OFFSET_BITS 64
#include "fuzz/corpus_files.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace FuzzCorpus {

std::string directory(std::string const& target)
{
    char const* source = std::getenv("SERVER_TEST_SOURCE_DIR");
    return std::string(source ? source : ".") + "/fuzz/corpus/" + target;
}

std::vector<File> files(std::string const& target)
{
    std::string const dir = directory(target);
    std::vector<File> out;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (entry->d_name[0] != '.')
                out.push_back({entry->d_name, {}});
        closedir(d);
    }
    for (File& file : out)
        file.content = readFile(dir + "/" + file.name);
    return out;
}

std::vector<std::uint8_t> readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace FuzzCorpus
