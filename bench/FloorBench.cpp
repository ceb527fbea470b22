// The system floor of a rename pass: list the folder, then give every file its new name (the
// extension in lower case). With --one-step, one no-replace rename per file, as the pass renames
// where the file system tells case apart: the floor the pass is measured against. Without it, the
// two no-replace steps of a folder that folds case, old -> old.tmp -> new, shown for information.
// Nothing else: no classification, no window, no journal. Prints "floor_ms <ms>".
//   vorlant-bench-floor DIR [--one-step]

#include "bench/BenchNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    const bool oneStep = argc == 3 && std::strcmp(argv[2], "--one-step") == 0;
    if (argc != 2 && !oneStep) {
        std::fprintf(stderr, "usage: vorlant-bench-floor DIR [--one-step]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const int dfd = ::open(argv[1], O_RDONLY | O_DIRECTORY);
    if (dfd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<std::string> names;
    DIR *d = ::fdopendir(::dup(dfd));
    while (const dirent *e = ::readdir(d))
        if (e->d_type != DT_DIR)
            names.emplace_back(e->d_name);
    ::closedir(d);

    int failed = 0;
    for (const std::string &name : names) {
        const std::string temp = vl::bench::TemporaryName(name);
        const std::string next = vl::bench::LowerExtension(name);
        if (oneStep) {
            if (::renameat2(dfd, name.c_str(), dfd, next.c_str(), RENAME_NOREPLACE) != 0)
                ++failed;
            continue;
        }
        if (::renameat2(dfd, name.c_str(), dfd, temp.c_str(), RENAME_NOREPLACE) != 0) {
            ++failed;
            continue;
        }
        if (::renameat2(dfd, temp.c_str(), dfd, next.c_str(), RENAME_NOREPLACE) != 0) {
            ++failed;
            ::renameat2(dfd, temp.c_str(), dfd, name.c_str(), RENAME_NOREPLACE);
        }
    }
    ::close(dfd);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("floor_ms %.3f\n", took.count());
    if (failed > 0) {
        std::fprintf(stderr, "vorlant-bench-floor: %d renames failed\n", failed);
        return 1;
    }
    return 0;
}
