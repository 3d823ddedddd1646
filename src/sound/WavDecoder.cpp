#include "sound/WavDecoder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace sound {

namespace {

constexpr std::uint16_t kFormatPcm = 0x0001;
constexpr std::uint16_t kFormatFloat = 0x0003;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
constexpr int kMaxChannels = 8;

// A read-only window on the file's bytes; every read checks its bounds.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint32_t U32(std::size_t at) const { return U16(at) | (std::uint32_t{U16(at + 2)} << 16); }
    std::uint16_t U16(std::size_t at) const {
        Need(at, 2);
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    bool Tag(std::size_t at, const char (&tag)[5]) const {
        return Has(at, 4) && std::memcmp(bytes_.data() + at, tag, 4) == 0;
    }
    const std::uint8_t* At(std::size_t at) const { return bytes_.data() + at; }

private:
    void Need(std::size_t at, std::size_t count) const {
        if (!Has(at, count)) throw WavError("truncated data");
    }
    std::span<const std::uint8_t> bytes_;
};

struct Format {
    std::uint16_t tag = 0;
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bits = 0;
};

struct Chunks {
    bool haveFormat = false;
    Format format;
    bool haveData = false;
    std::size_t dataOffset = 0;
    std::size_t dataSize = 0;
};

std::string FormatName(const Format& f) {
    return "format tag " + std::to_string(f.tag) + ", " + std::to_string(f.bits) + " bits, " +
           std::to_string(f.channels) + " channels, " + std::to_string(f.sampleRate) + " Hz";
}

Format ReadFormat(const ByteReader& in, std::size_t at, std::size_t size) {
    if (size < 16) throw WavError("truncated data: format chunk of " + std::to_string(size) + " bytes");
    Format f;
    f.tag = in.U16(at);
    f.channels = in.U16(at + 2);
    f.sampleRate = static_cast<int>(std::min<std::uint32_t>(in.U32(at + 4), 0x7FFFFFFF));
    f.blockAlign = in.U16(at + 12);
    f.bits = in.U16(at + 14);
    if (f.tag == kFormatExtensible) {
        // The real format tag is the first two bytes of the sub-format GUID.
        if (size < 40) throw WavError("truncated data: extensible format chunk of " + std::to_string(size) + " bytes");
        f.tag = in.U16(at + 24);
    }
    return f;
}

void CheckFormat(const Format& f) {
    const bool pcm = f.tag == kFormatPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
    const bool flt = f.tag == kFormatFloat && (f.bits == 32 || f.bits == 64);
    const bool shape = f.channels >= 1 && f.channels <= kMaxChannels && f.sampleRate >= kMinRate &&
                       f.sampleRate <= kMaxRate && f.blockAlign == f.channels * f.bits / 8;
    if (!(pcm || flt) || !shape) throw WavError("unsupported sample format (" + FormatName(f) + ")");
}

Chunks FindChunks(const ByteReader& in) {
    Chunks c;
    std::size_t at = 12;
    while (in.Has(at, 8)) {
        const std::size_t size = in.U32(at + 4);
        const std::size_t body = at + 8;
        if (in.Tag(at, "fmt ") && !c.haveFormat) {
            if (!in.Has(body, std::min<std::size_t>(size, 16))) throw WavError("truncated data in the format chunk");
            c.format = ReadFormat(in, body, size);
            c.haveFormat = true;
        } else if (in.Tag(at, "data") && !c.haveData) {
            c.haveData = true;
            c.dataOffset = body;
            c.dataSize = size;
        }
        if (!in.Has(body, size)) break;
        at = body + size + (size & 1);   // chunks are padded to an even length
    }
    return c;
}

float Sample(const std::uint8_t* p, const Format& f) {
    switch (f.tag == kFormatFloat ? -f.bits : f.bits) {
        case 8: return (static_cast<int>(p[0]) - 128) / 128.0f;
        case 16: return static_cast<std::int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
        case 24: {
            const std::int32_t v = static_cast<std::int32_t>((std::uint32_t{p[0]} << 8) | (std::uint32_t{p[1]} << 16) |
                                                             (std::uint32_t{p[2]} << 24));
            return static_cast<float>(v / 2147483648.0);
        }
        case 32: {
            std::int32_t v = 0;
            std::memcpy(&v, p, 4);
            return static_cast<float>(v / 2147483648.0);
        }
        case -32: {
            float v = 0;
            std::memcpy(&v, p, 4);
            return v;
        }
        default: {
            double v = 0;
            std::memcpy(&v, p, 8);
            return static_cast<float>(v);
        }
    }
}

std::vector<float> ReadSamples(const ByteReader& in, const Chunks& c) {
    const std::size_t bytesPerSample = static_cast<std::size_t>(c.format.bits / 8);
    const std::size_t count = c.dataSize / c.format.blockAlign * c.format.channels;
    std::vector<float> out(count, 0.0f);
    for (std::size_t i = 0; i < count; ++i) {
        const float v = Sample(in.At(c.dataOffset + i * bytesPerSample), c.format);
        // NaN or out-of-range float samples would poison the mix.
        out[i] = v == v ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
    }
    return out;
}

std::string OpenFailure(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return "file not found";
    if (std::filesystem::is_directory(status)) return "it is a folder, not a file";
    return std::string("cannot be read (") + std::strerror(errno) + ")";
}

}  // namespace

PcmSound DecodeWav(std::span<const std::uint8_t> bytes) {
    const ByteReader in(bytes);
    if (in.Size() == 0) throw WavError("the file is empty");
    if (!in.Tag(0, "RIFF") || !in.Tag(8, "WAVE")) throw WavError("not a RIFF/WAVE file");
    const Chunks c = FindChunks(in);
    if (!c.haveFormat) throw WavError("truncated data: no format chunk");
    CheckFormat(c.format);
    if (!c.haveData) throw WavError("truncated data: no data chunk");
    if (!in.Has(c.dataOffset, c.dataSize)) {
        throw WavError("truncated data: " + std::to_string(in.Size() - std::min(in.Size(), c.dataOffset)) + " of " +
                       std::to_string(c.dataSize) + " bytes of sound");
    }
    if (c.dataSize < static_cast<std::size_t>(c.format.blockAlign)) throw WavError("no sound data: the data chunk is empty");
    PcmSound sound;
    sound.sampleRate = c.format.sampleRate;
    sound.channels = c.format.channels;
    sound.samples = ReadSamples(in, c);
    return sound;
}

PcmSound LoadWavFile(const std::string& path) {
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    std::error_code ec;
    if (!file || std::filesystem::is_directory(path, ec)) throw WavError(OpenFailure(path));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw WavError("cannot be read");
    return DecodeWav(bytes);
}

}  // namespace sound
