// The helpers of scripts/bench, in plain C++ so that they start at once:
//   vorlant-bench-tool make DIR N     empties DIR (files only) and fills it with N bench files
//   vorlant-bench-tool launch CMD...  runs CMD with VL_BENCH_T0 set to the moment before exec,
//                                     so that CMD can tell how long it took to get going

#include "bench/BenchNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

int Fail(const char *what, const std::string &path)
{
    std::fprintf(stderr, "vorlant-bench-tool: %s %s: %s\n", what, path.c_str(),
                 std::strerror(errno));
    return 1;
}

int Make(const std::string &folder, int count)
{
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return Fail("cannot make", folder);
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd < 0)
        return Fail("cannot open", folder);
    // A fresh directory each time: one that has seen 100,000 renames is laid out differently.
    DIR *d = ::fdopendir(::dup(dfd));
    std::vector<std::string> old;
    while (const dirent *e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            old.emplace_back(e->d_name);
    ::closedir(d);
    for (const std::string &name : old)
        if (::unlinkat(dfd, name.c_str(), 0) != 0)
            return Fail("cannot remove", name);
    ::close(dfd);
    if (::rmdir(folder.c_str()) != 0 || ::mkdir(folder.c_str(), 0755) != 0)
        return Fail("cannot renew", folder);
    const int fresh = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fresh < 0)
        return Fail("cannot open", folder);
    for (int i = 0; i < count; ++i) {
        const std::string name = vl::bench::BenchFileName(i);
        const int fd = ::openat(fresh, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            return Fail("cannot create", name);
        ::close(fd);
    }
    ::close(fresh);
    return 0;
}

int Launch(char **command)
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
    ::setenv("VL_BENCH_T0", std::to_string(ns).c_str(), 1);
    ::execvp(command[0], command);
    return Fail("cannot run", command[0]);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "make") == 0)
        return Make(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "launch") == 0)
        return Launch(argv + 2);
    std::fprintf(stderr, "usage: vorlant-bench-tool make DIR N | launch CMD...\n");
    return 2;
}
