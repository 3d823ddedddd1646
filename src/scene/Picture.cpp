#include "scene/Picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

namespace scene {

namespace {

// libjpeg reports errors by calling error_exit, which must not return. We jump
// back to the setjmp in the calling function; only plain C data lives between
// the two, so nothing is left undestroyed.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void SilentMessage(j_common_ptr) {}

// For a compressor or a decompressor.
template <typename Cinfo>
void InstallErrors(Cinfo& cinfo, ErrorManager& err) {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = SilentMessage;
    err.message[0] = '\0';
}

// Opens data with libjpeg, reads its header and hands the decompressor to use;
// returns false with err.message set when libjpeg reports an error. use runs
// inside the frame libjpeg's error jumps back to, so it must hold only plain C
// data of its own.
template <typename Use>
bool WithDecompressor(const std::uint8_t* data, std::size_t size, ErrorManager& err, Use use) {
    jpeg_decompress_struct cinfo{};
    InstallErrors(cinfo, err);
    jpeg_create_decompress(&cinfo);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    const bool done = use(cinfo);
    jpeg_destroy_decompress(&cinfo);
    return done;
}

// A side scaled by eighths as libjpeg scales it: rounded up.
int ScaledSide(int side, int eighths) { return static_cast<int>((static_cast<long long>(side) * eighths + 7) / 8); }

// Decodes at eighths/8 of the full size, which must come out width x height,
// into out (width x height words), clearing the filler byte of each row as it
// comes, while it is still in the cache.
bool DecodeInto(const std::uint8_t* data, std::size_t size, int eighths, int width, int height, ErrorManager& err,
                std::uint32_t* out) {
    return WithDecompressor(data, size, err, [&](jpeg_decompress_struct& cinfo) {
        // Blue, green, red, pad in memory: the little-endian 0x00RRGGBB words drawing uses.
        cinfo.out_color_space = JCS_EXT_BGRX;
        cinfo.scale_num = static_cast<unsigned>(eighths);
        cinfo.scale_denom = 8;
        jpeg_start_decompress(&cinfo);
        if (static_cast<int>(cinfo.output_width) != width || static_cast<int>(cinfo.output_height) != height) {
            std::snprintf(err.message, sizeof err.message, "picture size changed while decoding");
            return false;
        }
        while (cinfo.output_scanline < cinfo.output_height) {
            std::uint32_t* row = out + static_cast<std::size_t>(cinfo.output_scanline) * width;
            JSAMPROW samples = reinterpret_cast<JSAMPROW>(row);
            jpeg_read_scanlines(&cinfo, &samples, 1);
            // The decoder fills each pixel's fourth byte; Cairo's RGB24 wants it clear.
            for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFF;
        }
        jpeg_finish_decompress(&cinfo);
        return true;
    });
}

// The source pixel a nearest-neighbour copy takes for pixel i of `to`, from `from`.
int NearestSource(int i, int from, int to) {
    return static_cast<int>((static_cast<std::int64_t>(2 * i + 1) * from) / (2 * static_cast<std::int64_t>(to)));
}

std::vector<int> NearestColumns(int from, int to) {
    std::vector<int> columns(static_cast<std::size_t>(to));
    for (int x = 0; x < to; ++x) columns[static_cast<std::size_t>(x)] = NearestSource(x, from, to);
    return columns;
}

// One row of a nearest-neighbour copy: dst[x] = src[columns[x]].
void NearestRow(const std::uint32_t* src, const std::vector<int>& columns, std::uint32_t* dst) {
    for (std::size_t x = 0; x < columns.size(); ++x) dst[x] = src[columns[x]];
}

}  // namespace

Picture::Picture(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) { ReadHeader(); }

Picture::Picture(std::vector<std::uint8_t> data) : owned_(std::move(data)) {
    data_ = owned_.data();
    size_ = owned_.size();
    ReadHeader();
}

Picture::~Picture() = default;

void Picture::ReadHeader() {
    if (data_ == nullptr || size_ < 2 || data_[0] != 0xFF || data_[1] != 0xD8) {
        throw PictureError("not a JPEG picture");
    }
    ErrorManager err{};
    const bool read = WithDecompressor(data_, size_, err, [this](jpeg_decompress_struct& cinfo) {
        width_ = static_cast<int>(cinfo.image_width);
        height_ = static_cast<int>(cinfo.image_height);
        return true;
    });
    if (!read) {
        throw PictureError(std::string("bad JPEG picture: ") + err.message);
    }
}

bool Picture::Decoded() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return !pixels_.empty() || !scaled_.empty();
}

bool Picture::ReadyAt(int width, int height) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return DecodedAt(width, height) || ScaledTo(width, height);
}

bool Picture::DecodedFor(int width, int height) const {
    return !pixels_.empty() && decodedWidth_ >= std::min(width, width_) && decodedHeight_ >= std::min(height, height_);
}

bool Picture::DecodedAt(int width, int height) const {
    return !pixels_.empty() && decodedWidth_ == width && decodedHeight_ == height;
}

bool Picture::ScaledTo(int width, int height) const {
    return !scaled_.empty() && scaledWidth_ == width && scaledHeight_ == height;
}

const std::vector<std::uint32_t>& Picture::Pixels() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (decodedWidth_ != width_ || decodedHeight_ != height_ || pixels_.empty()) Decode(8);
    return pixels_;
}

int Picture::EighthsFor(int width, int height) const {
    // Only the whole, half, quarter and eighth sizes: libjpeg's other scales run
    // without its vector code and cost up to twice a whole decode.
    int eighths = 1;
    while (eighths < 8 && (ScaledSide(width_, eighths) < width || ScaledSide(height_, eighths) < height)) eighths *= 2;
    return eighths;
}

Picture::Decoding Picture::PixelsForSize(int width, int height) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!DecodedFor(width, height)) Decode(EighthsFor(width, height));
    return {pixels_, decodedWidth_, decodedHeight_};
}

Picture::Decoding Picture::PixelsAt(int width, int height) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (ScaledTo(width, height)) return {scaled_, width, height};
    if (!DecodedFor(width, height)) Decode(EighthsFor(width, height));
    if (DecodedAt(width, height)) return {pixels_, width, height};
    if (!ScaledTo(width, height)) Scale(width, height);
    return {scaled_, width, height};
}

void Picture::DecodeAhead(int width, int height) {
    const std::lock_guard<std::mutex> lock(mutex_);
    try {
        if (pixels_.empty() && scaled_.empty()) Decode(EighthsFor(width, height));
        // A copy from pixels too small for the size would be made again at the draw.
        if (scaled_.empty() && DecodedFor(width, height) && !DecodedAt(width, height)) Scale(width, height);
    } catch (const PictureError&) {
        // The draw decodes again and reports it where it is shown.
    }
}

void Picture::Scale(int width, int height) {
    const int sw = decodedWidth_, sh = decodedHeight_;
    const std::vector<int> columns = NearestColumns(sw, width);
    scaled_.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int sy = NearestSource(y, sh, height);
        NearestRow(pixels_.data() + static_cast<std::size_t>(sy) * sw, columns,
                   scaled_.data() + static_cast<std::size_t>(y) * width);
    }
    scaledWidth_ = width;
    scaledHeight_ = height;
}

void Picture::Decode(int eighths) {
    const int w = ScaledSide(width_, eighths), h = ScaledSide(height_, eighths);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    ErrorManager err{};
    if (!DecodeInto(data_, size_, eighths, w, h, err, pixels.data())) {
        throw PictureError(std::string("bad JPEG picture: ") + err.message);
    }
    pixels_ = std::move(pixels);
    decodedWidth_ = w;
    decodedHeight_ = h;
    // A copy made from the pixels this replaces would no longer match them.
    scaled_.clear();
    scaledWidth_ = scaledHeight_ = 0;
}

namespace {

struct Encoded {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    ~Encoded() { std::free(buffer); }
};

bool EncodeInto(const std::uint32_t* pixels, int width, int height, int quality, Encoded& out, ErrorManager& err) {
    jpeg_compress_struct cinfo{};
    InstallErrors(cinfo, err);
    jpeg_create_compress(&cinfo);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_mem_dest(&cinfo, &out.buffer, &out.size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg does not write through the row pointer it is given.
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            const_cast<std::uint32_t*>(pixels + static_cast<std::size_t>(cinfo.next_scanline) * width));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const std::uint32_t* pixels, int width, int height, int quality) {
    if (width <= 0 || height <= 0) throw PictureError("cannot encode an empty picture");
    Encoded out;
    ErrorManager err{};
    if (!EncodeInto(pixels, width, height, quality, out, err)) {
        throw PictureError(std::string("cannot encode JPEG picture: ") + err.message);
    }
    return std::vector<std::uint8_t>(out.buffer, out.buffer + out.size);
}

}  // namespace scene
