// What the fuzz targets share: the game reads files by name, so each input is
// written to a file of a scratch folder that lives as long as the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzz {

class ScratchFolder {
public:
    static ScratchFolder& Get() {
        static ScratchFolder folder;
        return folder;
    }
    // Replaces the file's contents with the bytes; returns its path.
    std::string Write(const std::string& name, const std::uint8_t* data, std::size_t size) {
        const std::string path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out) Fail("cannot write the input file " + path);
        return path;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "swoopy-fuzz.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder");
        dir_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path dir_;

public:
    // A broken rule is a finding: say which and stop, so the fuzzer keeps the input.
    [[noreturn]] static void Fail(const std::string& what) {
        std::fprintf(stderr, "fuzz: %s\n", what.c_str());
        std::abort();
    }
};

inline void Check(bool holds, const std::string& what) {
    if (!holds) ScratchFolder::Fail(what);
}

}  // namespace fuzz
