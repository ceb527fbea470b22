#pragma once

// The files of a benchmark folder: what a photo dump or a download archive holds. Every name has
// an upper-case extension, so the rename pass changes every file, and so does a tool that only
// lower-cases extensions.

#include <cstdio>
#include <string>

namespace vl::bench {

// The i-th name of a folder (unique for i below 1,000,000):
//   3 in 10  "IMG_000120.JPG"       a core that the name dictionary holds
//   1 in 10  "dsc000123.JPG"        one unknown core shared by all of them
//   2 in 10  "readme_000124.TXT"    dictionary cores in lower case
//   4 in 10  "report-000126-final.PDF"  a core of its own for every file
inline std::string BenchFileName(int i)
{
    static const char *const kKnown[]
        = {"readme", "setup", "license", "install", "changes", "autorun"};
    static const char *const kKnownExt[] = {"TXT", "EXE", "DOC", "INF", "HTM", "INI"};
    static const char *const kFirst[]
        = {"report", "invoice", "paper", "scan", "letter", "notes", "draft"};
    static const char *const kLast[] = {"final", "signed", "copy", "old", "new", "part"};
    char buffer[96];
    switch (i % 10) {
    case 0:
    case 1:
    case 2:
        std::snprintf(buffer, sizeof buffer, "IMG_%06d.JPG", i);
        break;
    case 3:
        std::snprintf(buffer, sizeof buffer, "dsc%06d.JPG", i);
        break;
    case 4:
    case 5:
        std::snprintf(buffer, sizeof buffer, "%s_%06d.%s", kKnown[(i / 10) % 6], i,
                      kKnownExt[(i / 10) % 6]);
        break;
    default:
        std::snprintf(buffer, sizeof buffer, "%s-%06d-%s.PDF", kFirst[i % 7], i,
                      kLast[(i / 7) % 6]);
        break;
    }
    return buffer;
}

// The name with its extension (after the last dot) in lower case: what the extension-only
// tools make of it. ASCII only, as the bench names are.
inline std::string LowerExtension(std::string name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return name;
    for (std::size_t k = dot + 1; k < name.size(); ++k)
        if (name[k] >= 'A' && name[k] <= 'Z')
            name[k] = static_cast<char>(name[k] - 'A' + 'a');
    return name;
}

// The temporary name of the pass's first step: the name with its dot, then ".tmp".
inline std::string TemporaryName(const std::string &name)
{
    return name.find('.') == std::string::npos ? name + "..tmp" : name + ".tmp";
}

} // namespace vl::bench
