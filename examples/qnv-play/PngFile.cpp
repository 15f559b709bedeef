#include "PngFile.h"

#include <cstdio>
#include <memory>
#include <vector>

#include <png.h>

namespace {

struct FileCloser {
    void operator()(FILE *file) const { std::fclose(file); }
};

// Owns the libpng write structures.
class PngWriter {
public:
    PngWriter() {
        _png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (_png != nullptr) {
            _info = png_create_info_struct(_png);
        }
    }
    ~PngWriter() { png_destroy_write_struct(&_png, &_info); }
    PngWriter(const PngWriter &) = delete;
    PngWriter &operator=(const PngWriter &) = delete;

    bool ok() const { return _png != nullptr && _info != nullptr; }
    png_structp png() const { return _png; }
    png_infop info() const { return _info; }

private:
    png_structp _png = nullptr;
    png_infop _info = nullptr;
};

// Kept apart from writePng so that no object with a destructor lives in the frame that
// libpng's error handler longjmps out of.
bool writeRows(PngWriter &writer, FILE *file, const Image &image, png_bytep *rows) {
    if (setjmp(png_jmpbuf(writer.png()))) {
        return false;
    }
    png_init_io(writer.png(), file);
    // Frames are written while the video plays: fast compression keeps up with it.
    png_set_compression_level(writer.png(), 3);
    png_set_IHDR(writer.png(), writer.info(), static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png(), writer.info());
    png_set_bgr(writer.png());
    png_set_filler(writer.png(), 0, PNG_FILLER_AFTER);
    png_write_image(writer.png(), rows);
    png_write_end(writer.png(), nullptr);
    return true;
}

} // namespace

bool writePng(const std::string &path, const Image &image) {
    if (image.empty()) {
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    PngWriter writer;
    if (!file || !writer.ok()) {
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows[y] = const_cast<png_bytep>(image.pixel(0, y));
    }
    if (!writeRows(writer, file.get(), image, rows.data())) {
        return false;
    }
    return std::fclose(file.release()) == 0;
}
