// Test WAV files made on the spot: a small writer for every sample format the
// game reads, and a temporary folder that cleans up after itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

struct WavFormat {
    std::uint16_t tag = 1;  // 1 PCM, 3 float
    int channels = 1;
    int sampleRate = 22050;
    int bits = 16;
    bool extensible = false;  // wrap the tag in a WAVE_FORMAT_EXTENSIBLE format chunk
    bool listChunk = false;   // an odd-sized chunk the reader must skip, before the data
};

// Interleaved samples in [-1, 1], encoded as v * 2^(bits - 1) rounded (8-bit offset by 128).
std::vector<std::uint8_t> MakeWav(const WavFormat& format, const std::vector<double>& samples);

// A mono 16-bit file of `frames` frames, all at `value`.
std::vector<std::uint8_t> ConstantWav(long frames, double value, int sampleRate = 22050);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes the bytes to name in the folder and returns the file's full path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path path_;
};

}  // namespace soundtest
