#include "bench/WorkSets.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>

namespace quillmere::bench {
namespace {

[[noreturn]] void Fail(const std::string& path) {
    throw std::runtime_error(path + ": " + std::strerror(errno));
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) Fail(path);
}

// Files of pseudo-random bytes: no file system can store them sparsely or compressed, which
// would favour whichever side happened to write them that way.
void WriteFile(const std::string& path, std::size_t size, std::vector<char>& block, std::mt19937_64& random) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail(path);
    std::size_t left = size;
    while (left > 0) {
        for (std::size_t i = 0; i + 8 <= block.size(); i += 8) {
            const auto value = random();
            std::memcpy(&block[i], &value, 8);
        }
        const std::size_t chunk = std::min(left, block.size());
        const ssize_t written = ::write(fd, block.data(), chunk);
        if (written != static_cast<ssize_t>(chunk)) {
            ::close(fd);
            Fail(path);
        }
        left -= chunk;
    }
    if (::close(fd) != 0) Fail(path);
}

// Every set names its matching files "*.jra"; the rest of a large folder are empty ".dat" files
// spread evenly between them, so neither the first nor the last names decide the figures.
WorkSet MakeSet(const std::string& root, const std::string& name, std::string label, std::size_t entries,
                std::size_t matching, std::size_t fileSize) {
    const std::string folder = root + "/" + name;
    std::fprintf(stderr, "making %s\n", folder.c_str());
    MakeFolder(folder);
    std::vector<char> block(std::min<std::size_t>(fileSize, 1 << 20) + 8);
    std::mt19937_64 random(entries * 31 + matching);
    const std::size_t every = entries / matching;
    for (std::size_t i = 0; i < entries; ++i) {
        char file[32];
        const bool matches = i % every == 0;
        std::snprintf(file, sizeof file, matches ? "f%07zu.jra" : "e%07zu.dat", i);
        WriteFile(folder + "/" + file, matches ? fileSize : 0, block, random);
    }
    return {std::move(label), folder, entries, matching, fileSize};
}

}  // namespace

WorkSets MakeWorkSets(const std::string& root) {
    WorkSets sets;
    sets.copies.push_back(MakeSet(root, "small", "2000 x 4 KiB", 2000, 2000, 4 << 10));
    sets.copies.push_back(MakeSet(root, "small20k", "20000 x 4 KiB", 20000, 20000, 4 << 10));
    sets.copies.push_back(MakeSet(root, "tiny100k", "100000 x 1 KiB", 100000, 100000, 1 << 10));
    sets.copies.push_back(MakeSet(root, "medium", "200 x 1 MiB", 200, 200, 1 << 20));
    sets.copies.push_back(MakeSet(root, "large", "2 x 512 MiB", 2, 2, std::size_t{512} << 20));
    sets.copies.push_back(MakeSet(root, "many", "1000 of 100000 entries", 100000, 1000, 4 << 10));
    sets.tenThousand = MakeSet(root, "many10k", "100 of 10000 entries", 10000, 100, 4 << 10);
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0) Fail(root);
    ::close(fd);
    return sets;
}

std::size_t CountEntries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) Fail(folder);
    std::size_t count = 0;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) ++count;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        errno = error;
        Fail(folder);
    }
    return count;
}

}  // namespace quillmere::bench
