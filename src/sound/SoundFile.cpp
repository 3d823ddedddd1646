#include "sound/SoundFile.h"

#include <fcntl.h>
#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace sound {

namespace {

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
constexpr int kMaxChannels = 8;
constexpr sf_count_t kReadFrames = 16384;
// The cheapest of libsamplerate's sinc converters: 80 % of the band kept, 97 dB
// clear of aliasing, and about half the start-up cost of the next one.
constexpr int kConverter = SRC_SINC_FASTEST;

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// libsndfile reads through these, from a descriptor that stays ours. Handed
// the descriptor itself, it closes it when the file does not open, whatever it
// was told, and our own close then hits whatever another thread opened under
// that number meanwhile.
struct Source {
    int fd;
    sf_count_t size;
    sf_count_t pos = 0;
};

sf_count_t SourceLength(void* user) { return static_cast<Source*>(user)->size; }

sf_count_t SourceSeek(sf_count_t offset, int whence, void* user) {
    auto* s = static_cast<Source*>(user);
    const sf_count_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->size : 0;
    if (base + offset < 0) return -1;
    return s->pos = base + offset;
}

sf_count_t SourceRead(void* ptr, sf_count_t count, void* user) {
    auto* s = static_cast<Source*>(user);
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(s->fd, static_cast<char*>(ptr) + done, static_cast<std::size_t>(count - done),
                                  static_cast<off_t>(s->pos + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    s->pos += done;
    return done;
}

sf_count_t SourceWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t SourceTell(void* user) { return static_cast<Source*>(user)->pos; }

SF_VIRTUAL_IO sourceIo{SourceLength, SourceSeek, SourceRead, SourceWrite, SourceTell};

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

FileStamp StampOf(const struct stat& st) {
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
            static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
            static_cast<long long>(st.st_mtim.tv_nsec)};
}

// Opened here rather than by libsndfile so that the reason for a failure is the
// system's own, and so that a folder, a pipe or an empty file never reaches the
// decoder (a pipe would block the start).
Descriptor OpenForReading(const std::string& path, off_t& size, FileStamp& stamp) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) throw SoundFileError("file not found");
        throw SoundFileError(std::string("cannot be read (") + std::strerror(errno) + ")");
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) throw SoundFileError(std::string("cannot be read (") + std::strerror(errno) + ")");
    if (S_ISDIR(st.st_mode)) throw SoundFileError("it is a folder, not a file");
    if (!S_ISREG(st.st_mode)) throw SoundFileError("not a regular file");
    if (st.st_size == 0) throw SoundFileError("the file is empty");
    size = st.st_size;
    stamp = StampOf(st);
    return fd;
}

// Only libsndfile's WAV reader is let near the file. Anything else it would
// guess at and parse (an MP3 among them, whose decoder talks on stderr) is
// refused first.
void CheckRiffWave(int fd) {
    char head[12] = {};
    const bool riff = ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
                      (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RIFX", 4) == 0) &&
                      std::memcmp(head + 8, "WAVE", 4) == 0;
    if (!riff) throw SoundFileError("not a WAV file");
}

void CheckFormat(const SF_INFO& info) {
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < kMinRate || info.samplerate > kMaxRate) {
        throw SoundFileError("unsupported sample format (" + std::to_string(info.channels) + " channels, " +
                             std::to_string(info.samplerate) + " Hz)");
    }
}

// libsndfile plays what there is of a file cut short. A file shorter than the
// chunks it declares (the end of the sound cut off, or a size claimed beyond the
// file) is refused instead. libsndfile lists every chunk it walked, in file
// order, the RIFF header itself first.
void CheckComplete(SNDFILE* file, off_t fileSize) {
    long long declared = 12;  // "RIFF", its size and "WAVE"
    unsigned pad = 0;
    bool riff = true;
    for (SF_CHUNK_ITERATOR* it = sf_get_chunk_iterator(file, nullptr); it != nullptr; it = sf_next_chunk_iterator(it)) {
        SF_CHUNK_INFO chunk{};
        if (sf_get_chunk_size(it, &chunk) != SF_ERR_NO_ERROR) continue;
        if (std::exchange(riff, false)) continue;
        pad = chunk.datalen & 1;
        declared += 8 + static_cast<long long>(chunk.datalen) + pad;
    }
    // Writers often leave out the pad byte after an odd-sized last chunk.
    if (declared - pad > fileSize) {
        throw SoundFileError("truncated: the file holds " + std::to_string(fileSize) + " of the " +
                             std::to_string(declared) + " bytes its chunks declare");
    }
}

// Output channel c takes input channel c, wrapping around; to mono, all are averaged.
void MapChannelsInto(const Sample* in, std::size_t frames, int from, int to, Samples& out) {
    out.reserve(out.size() + frames * static_cast<std::size_t>(to));
    for (std::size_t f = 0; f < frames; ++f) {
        const Sample* src = in + f * static_cast<std::size_t>(from);
        if (to == 1) {
            long sum = 0;
            for (int c = 0; c < from; ++c) sum += src[c];
            out.push_back(static_cast<Sample>(std::lround(static_cast<double>(sum) / from)));
        } else {
            for (int c = 0; c < to; ++c) out.push_back(src[c % from]);
        }
    }
}

Samples MapChannels(Samples in, int from, int to) {
    if (from == to) return in;
    Samples out;
    MapChannelsInto(in.data(), in.size() / static_cast<std::size_t>(from), from, to, out);
    return out;
}

// Samples that hold whole numbers of at most 16 bits are read as they are; the
// others (24 and 32 bits, float, double, MP3) are rounded to 16 bits.
bool SixteenBitsOrFewer(const SF_INFO& info) {
    switch (info.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW:
        case SF_FORMAT_IMA_ADPCM:
        case SF_FORMAT_MS_ADPCM:
        case SF_FORMAT_GSM610:
        case SF_FORMAT_G721_32:
        case SF_FORMAT_G723_24:
        case SF_FORMAT_G723_40: return true;
        default: return false;
    }
}

// NaN or out-of-range float samples would poison the converter and the mix.
// Kinds decoded from whole numbers scaled into -1 to 1 cannot hold them; float
// and double samples can, and so can MP3 data inside a WAV file, whose decoder
// overshoots: those, and any kind not listed, are checked.
bool MayHoldWildSamples(const SF_INFO& info) {
    switch (info.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32: return false;
        default: return !SixteenBitsOrFewer(info);
    }
}

void Sanitise(float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i];
        samples[i] = v == v ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
    }
}

// A finite share of full scale, rounded to the nearest step and kept in range.
Sample ToSample(float v) { return static_cast<Sample>(std::clamp(std::lrint(v / kSampleScale), -32768L, 32767L)); }

// Reads block by block, so a header that claims a huge length costs nothing
// until the samples are really there. Room is made at once for the length the
// header declares, as far as a file of this size can hold it (no format packs
// more than two samples into a byte), so the samples are copied only once.
// Channels beyond maxChannels are folded down block by block, so a file of many
// channels never takes more memory than its folded samples.
void ReadSamples(SNDFILE* file, const SF_INFO& info, off_t fileSize, int maxChannels, DecodedSound& d) {
    d.sampleRate = info.samplerate;
    d.fileChannels = info.channels;
    d.channels = std::min(info.channels, maxChannels);
    const sf_count_t maxFrames = static_cast<sf_count_t>(kMaxSoundSeconds) * info.samplerate;
    const sf_count_t expected =
        std::min({info.frames, maxFrames, 2 * static_cast<sf_count_t>(fileSize) / info.channels});
    if (expected > 0) d.samples.reserve(static_cast<std::size_t>(expected * d.channels));
    const bool exact = SixteenBitsOrFewer(info);
    const bool wild = MayHoldWildSamples(info);
    const auto blockSamples = static_cast<std::size_t>(kReadFrames * info.channels);
    Samples block(blockSamples);
    std::vector<float> floats(exact ? 0 : blockSamples);
    sf_count_t total = 0;
    for (;;) {
        const sf_count_t got =
            exact ? sf_readf_short(file, block.data(), kReadFrames) : sf_readf_float(file, floats.data(), kReadFrames);
        if (got <= 0) break;
        total += got;
        if (total > maxFrames)
            throw SoundFileError("longer than " + std::to_string(kMaxSoundSeconds / 60) + " minutes");
        const std::size_t count = static_cast<std::size_t>(got * info.channels);
        if (!exact) {
            if (wild) Sanitise(floats.data(), count);
            std::transform(floats.begin(), floats.begin() + static_cast<std::ptrdiff_t>(count), block.begin(),
                           ToSample);
        }
        if (d.channels == info.channels) {
            d.samples.insert(d.samples.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count));
        } else {
            MapChannelsInto(block.data(), static_cast<std::size_t>(got), info.channels, d.channels, d.samples);
        }
    }
    if (sf_error(file) != SF_ERR_NO_ERROR)
        throw SoundFileError(std::string("damaged sound data (") + sf_strerror(file) + ")");
    if (total == 0) throw SoundFileError("no sound data: the data chunk is empty");
}

// The length is fixed here, not left to the converter, so that it is the same
// for every converter and a short sound never vanishes. The converter works in
// floats; the result is rounded back to 16 bits.
Samples Resample(Samples in, int channels, int fromRate, int toRate) {
    const long inFrames = static_cast<long>(in.size()) / channels;
    if (fromRate == toRate) return in;
    const double ratio = static_cast<double>(toRate) / fromRate;
    if (!src_is_valid_ratio(ratio)) {
        throw SoundFileError("sample rate of " + std::to_string(fromRate) + " Hz too far from the output's " +
                             std::to_string(toRate) + " Hz");
    }
    const long outFrames = std::max(1L, std::lround(static_cast<double>(inFrames) * ratio));
    std::vector<float> source(in.size());
    std::transform(in.begin(), in.end(), source.begin(), [](Sample v) { return static_cast<float>(v) * kSampleScale; });
    Samples().swap(in);  // not held through the conversion
    std::vector<float> converted(static_cast<std::size_t>(outFrames) * channels, 0.0f);
    SRC_DATA data{};
    data.data_in = source.data();
    data.input_frames = inFrames;
    data.data_out = converted.data();
    data.output_frames = outFrames;
    data.src_ratio = ratio;
    data.end_of_input = 1;
    if (const int error = src_simple(&data, kConverter, channels)) {
        throw SoundFileError(std::string("cannot convert the sample rate (") + src_strerror(error) + ")");
    }
    Samples out(converted.size());
    std::transform(converted.begin(), converted.end(), out.begin(), ToSample);
    return out;
}

// libsndfile keeps the reason for a failed open in one global: opens take
// turns, while reading an opened file needs nothing shared.
SNDFILE* OpenDecoder(Source& source, SF_INFO& info) {
    static std::mutex turn;
    const std::lock_guard<std::mutex> lock(turn);
    SNDFILE* file = sf_open_virtual(&sourceIo, SFM_READ, &info, &source);
    if (!file) throw SoundFileError(sf_error_number(sf_error(nullptr)));
    return file;
}

std::function<void(const std::string&)>& DecodeHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

}  // namespace

bool SameFile(const std::string& path, const FileStamp& stamp) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && StampOf(st) == stamp;
}

DecodedSound DecodeSoundFile(const std::string& path, int maxChannels) {
    DecodedSound d;
    off_t size = 0;
    const Descriptor fd = OpenForReading(path, size, d.stamp);
    CheckRiffWave(fd.Get());
    SF_INFO info{};
    Source source{fd.Get(), static_cast<sf_count_t>(size)};
    const SndFile file(OpenDecoder(source, info));
    CheckFormat(info);
    CheckComplete(file.get(), size);
    if (DecodeHook()) DecodeHook()(path);
    ReadSamples(file.get(), info, size, std::max(1, maxChannels), d);
    return d;
}

void SetDecodeHook(std::function<void(const std::string&)> hook) { DecodeHook() = std::move(hook); }

Samples ConvertSound(DecodedSound d, const scene::AudioFormat& format) {
    const int outChannels = std::max(1, format.channels);
    Samples samples = Resample(std::move(d.samples), d.channels, d.sampleRate, format.sampleRate);
    return MapChannels(std::move(samples), d.channels, outChannels);
}

Samples LoadSound(const std::string& path, const scene::AudioFormat& format) {
    return ConvertSound(DecodeSoundFile(path, format.channels), format);
}

}  // namespace sound
