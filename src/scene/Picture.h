// A JPEG picture: the header is read when the picture is made, the pixels are
// decoded the first time they are needed and kept from then on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace scene {

class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Picture {
public:
    // Reads only the header; throws PictureError when it is not a JPEG picture.
    Picture(const std::uint8_t* data, std::size_t size);
    ~Picture();

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Decoded() const { return !pixels_.empty(); }
    // 0x00RRGGBB rows, decoded on first call.
    const std::vector<std::uint32_t>& Pixels();

private:
    const std::uint8_t* data_;
    std::size_t size_;
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> pixels_;
public:
    // Drawing keeps its own handle to the decoded pixels here.
    std::shared_ptr<void> cache;
};

}  // namespace scene
