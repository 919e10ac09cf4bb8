#pragma once
// A temporary directory that serves as SERVER_ROOT for one test: made empty,
// installed in the environment, and removed with everything in it (the
// previous SERVER_ROOT coming back) when the object goes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ScratchRoot {
public:
    ScratchRoot()
    {
        char pattern[] = "/tmp/server-test-XXXXXX";
        char* made = ::mkdtemp(pattern);
        dir_ = made ? made : "";
        char const* previous = std::getenv("SERVER_ROOT");
        hadPrevious_ = previous != nullptr;
        previous_ = previous ? previous : "";
        ::setenv("SERVER_ROOT", dir_.c_str(), 1);
    }

    ~ScratchRoot()
    {
        if (hadPrevious_)
            ::setenv("SERVER_ROOT", previous_.c_str(), 1);
        else
            ::unsetenv("SERVER_ROOT");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    ScratchRoot(ScratchRoot const&) = delete;
    ScratchRoot& operator=(ScratchRoot const&) = delete;

    // The real path of an absolute path of the server.
    std::string path(std::string const& absolute) const { return dir_ + absolute; }

    // Makes the directory (and its parents) under the root.
    void makeDir(std::string const& absolute) const { std::filesystem::create_directories(path(absolute)); }

    // Writes a file under the root, making its directory first.
    void write(std::string const& absolute, std::string const& content) const
    {
        std::filesystem::path file(path(absolute));
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

    std::string read(std::string const& absolute) const
    {
        std::ifstream in(path(absolute), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool exists(std::string const& absolute) const { return std::filesystem::exists(path(absolute)); }

private:
    std::string dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};
