#include "WavFiles.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>

namespace soundtest {

namespace {

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void PutTag(std::vector<std::uint8_t>& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}

void PutSample(std::vector<std::uint8_t>& b, const WavFormat& format, double v) {
    if (format.tag == 3 && format.bits == 32) {
        const float f = static_cast<float>(v);
        std::uint32_t u = 0;
        std::memcpy(&u, &f, 4);
        Put32(b, u);
    } else if (format.tag == 3) {
        std::uint64_t u = 0;
        std::memcpy(&u, &v, 8);
        Put32(b, static_cast<std::uint32_t>(u));
        Put32(b, static_cast<std::uint32_t>(u >> 32));
    } else {
        const double scale = std::ldexp(1.0, format.bits - 1);
        const double top = scale - 1;
        std::int64_t q = std::llround(std::fmax(-scale, std::fmin(top, v * scale)));
        if (format.bits == 8) q += 128;
        for (int i = 0; i < format.bits / 8; ++i) b.push_back(static_cast<std::uint8_t>((q >> (8 * i)) & 0xFF));
    }
}

void PutFormat(std::vector<std::uint8_t>& b, const WavFormat& format) {
    const unsigned blockAlign = static_cast<unsigned>(format.channels * format.bits / 8);
    PutTag(b, "fmt ");
    Put32(b, format.extensible ? 40 : 16);
    Put16(b, format.extensible ? 0xFFFE : format.tag);
    Put16(b, static_cast<unsigned>(format.channels));
    Put32(b, static_cast<std::uint32_t>(format.sampleRate));
    Put32(b, static_cast<std::uint32_t>(format.sampleRate) * blockAlign);
    Put16(b, blockAlign);
    Put16(b, static_cast<unsigned>(format.bits));
    if (!format.extensible) return;
    Put16(b, 22);                                  // extra bytes
    Put16(b, static_cast<unsigned>(format.bits));  // valid bits
    Put32(b, format.channels == 2 ? 3 : 4);        // speaker mask
    Put16(b, format.tag);                          // sub-format GUID: the tag, then the fixed tail
    const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    for (std::uint8_t t : tail) b.push_back(t);
}

}  // namespace

std::vector<std::uint8_t> MakeWav(const WavFormat& format, const std::vector<double>& samples) {
    std::vector<std::uint8_t> data;
    for (double v : samples) PutSample(data, format, v);
    std::vector<std::uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, 0);  // filled in below
    PutTag(b, "WAVE");
    PutFormat(b, format);
    if (format.listChunk) {
        PutTag(b, "LIST");
        Put32(b, 5);
        PutTag(b, "INFO");
        b.push_back('x');
        b.push_back(0);  // pad byte of the odd-sized chunk
    }
    PutTag(b, "data");
    Put32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2) b.push_back(0);
    const std::uint32_t riff = static_cast<std::uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    return b;
}

std::vector<std::uint8_t> ConstantWav(long frames, double value, int sampleRate) {
    WavFormat format;
    format.sampleRate = sampleRate;
    return MakeWav(format, std::vector<double>(static_cast<std::size_t>(frames), value));
}

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("swoopy-sound-" + std::to_string(rd()));
    } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}

std::string TempDir::Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace soundtest
