// Files the fuzz targets hand to the game's readers, which read files by name: one
// name per process and purpose, rewritten for every input.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace tolvan::fuzz {

inline std::string scratchFile(const std::string& purpose) {
    return (std::filesystem::temp_directory_path() /
            ("tolvan-fuzz-" + std::to_string(getpid()) + "-" + purpose))
        .string();
}

inline void writeScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace tolvan::fuzz
