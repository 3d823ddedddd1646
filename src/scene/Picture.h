// A JPEG picture: the header is read when the picture is made, the pixels are
// decoded the first time they are needed, or ahead of that on another thread,
// and kept from then on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace scene {

class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Picture {
public:
    // Reads only the header of data the caller keeps alive (embedded pictures);
    // throws PictureError when it is not a JPEG picture.
    Picture(const std::uint8_t* data, std::size_t size);
    // The same, keeping its own copy of the data.
    explicit Picture(std::vector<std::uint8_t> data);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Decoded() const;
    // Whether PixelsAt(width, height) has its pixels at hand, with nothing to
    // decode or scale.
    bool ReadyAt(int width, int height) const;
    // 0x00RRGGBB, rows top down, Width() pixels each; decoded on the first call.
    // Throws PictureError when the data is damaged.
    const std::vector<std::uint32_t>& Pixels();

    // The decoded pixels, at a size of at least width x height, which PixelsAt
    // copies from for drawing that size or smaller: the decoder scales in the
    // JPEG's own frequency domain, to a half, a quarter or an eighth, so a large
    // picture drawn small costs a fraction of its full decode and memory. Kept
    // until a larger size is asked for.
    struct Decoding {
        const std::vector<std::uint32_t>& pixels;
        int width, height;
    };
    Decoding PixelsForSize(int width, int height);
    // The pixels at exactly width x height, for drawing: the decoded pixels when
    // they are that size, else a nearest-neighbour copy of them, kept until
    // another size is drawn. Stays valid until the next call for another size.
    Decoding PixelsAt(int width, int height);

    // Does what PixelsAt(width, height) will need, from any thread: decodes when
    // nothing is decoded yet and makes the copy at that size when there is none;
    // neither is ever replaced from here. A draw that needs them meanwhile waits
    // for them rather than doing them twice. Damaged data is left for the draw
    // to report.
    void DecodeAhead(int width, int height);

private:
    void ReadHeader();

    std::vector<std::uint8_t> owned_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    void Decode(int eighths);
    void Scale(int width, int height);
    // With the mutex held: whether the decoded pixels are enough for a box of
    // width x height, whether they are that very size, and whether the scaled
    // copy is.
    bool DecodedFor(int width, int height) const;
    bool DecodedAt(int width, int height) const;
    bool ScaledTo(int width, int height) const;
    int EighthsFor(int width, int height) const;

    int width_ = 0, height_ = 0;
    // Guards the decoded pixels against a decode ahead on another thread.
    mutable std::mutex mutex_;
    int decodedWidth_ = 0, decodedHeight_ = 0;  // of pixels_, which may be scaled down
    std::vector<std::uint32_t> pixels_;
    int scaledWidth_ = 0, scaledHeight_ = 0;  // of scaled_, made from pixels_
    std::vector<std::uint32_t> scaled_;
};

// Baseline JPEG of 0x00RRGGBB pixels, three components; used to make pictures.
std::vector<std::uint8_t> EncodeJpeg(const std::uint32_t* pixels, int width, int height, int quality);

}  // namespace scene
