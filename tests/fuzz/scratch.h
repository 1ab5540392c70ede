// Files the fuzz targets hand to the game's readers, which read files by name: one
// name per process and purpose, rewritten for every input.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tolvan::fuzz {

// The file is removed when the process ends as a fuzzer ends, by exit(), so that no
// run leaves its files behind in the temporary folder.
inline std::string scratchFile(const std::string& purpose) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tolvan-fuzz-" + std::to_string(getpid()) + "-" + purpose))
                                 .string();
    static std::vector<std::string>* const made = new std::vector<std::string>;
    static const bool removedAtExit = std::atexit([] {
        for (const std::string& p : *made) std::remove(p.c_str());
    }) == 0;
    (void)removedAtExit;
    made->push_back(path);
    return path;
}

inline void writeScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace tolvan::fuzz
