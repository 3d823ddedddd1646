#include "pictures/Jpeg.h"

// jpeglib.h needs the standard I/O types declared first.
#include <cstdio>
#include <jpeglib.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace pictures {

namespace {

struct Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    Compressor() {
        info.err = jpeg_std_error(&errors);
        errors.error_exit = [](j_common_ptr common) {
            char message[JMSG_LENGTH_MAX] = {};
            (*common->err->format_message)(common, message);
            throw std::runtime_error(std::string("JPEG encoding failed: ") + message);
        };
        jpeg_create_compress(&info);
    }
    ~Compressor() { jpeg_destroy_compress(&info); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

struct MallocDeleter {
    void operator()(unsigned char* p) const { std::free(p); }
};

// Cairo keeps each pixel as a native 32-bit 0x00RRGGBB word.
void RowToRgb(const unsigned char* row, int width, std::vector<JSAMPLE>& out) {
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(row);
    for (int x = 0; x < width; ++x) {
        out[3 * x + 0] = static_cast<JSAMPLE>((pixels[x] >> 16) & 0xFFu);
        out[3 * x + 1] = static_cast<JSAMPLE>((pixels[x] >> 8) & 0xFFu);
        out[3 * x + 2] = static_cast<JSAMPLE>(pixels[x] & 0xFFu);
    }
}

void Configure(jpeg_compress_struct& info, const Canvas& canvas, int quality) {
    info.image_width = static_cast<JDIMENSION>(canvas.Width());
    info.image_height = static_cast<JDIMENSION>(canvas.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Luma at full resolution, both chroma planes at half in each direction.
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    info.comp_info[1].h_samp_factor = 1;
    info.comp_info[1].v_samp_factor = 1;
    info.comp_info[2].h_samp_factor = 1;
    info.comp_info[2].v_samp_factor = 1;
    info.optimize_coding = TRUE;
    info.dct_method = JDCT_ISLOW;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Canvas& canvas, int quality) {
    cairo_surface_t* surface = canvas.Surface();
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);

    Compressor compressor;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor.info, &buffer, &size);
    std::unique_ptr<unsigned char, MallocDeleter> owned;

    Configure(compressor.info, canvas, quality);
    jpeg_start_compress(&compressor.info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(canvas.Width()) * 3);
    while (compressor.info.next_scanline < compressor.info.image_height) {
        RowToRgb(data + static_cast<std::ptrdiff_t>(compressor.info.next_scanline) * stride, canvas.Width(), row);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&compressor.info, rows, 1);
    }
    jpeg_finish_compress(&compressor.info);
    owned.reset(buffer);
    return std::vector<std::uint8_t>(buffer, buffer + size);
}

}  // namespace pictures
