#include "OggOutput.h"

namespace mediagen {

namespace {
// Pages of about this many bytes: the tones compress so well that libogg's default (4 KB)
// would put a short link on one page, which hides how real files are laid out.
constexpr int kPageFill = 1024;
} // namespace

OggFile::OggFile(const std::string &path) : _file(std::fopen(path.c_str(), "wb")) {}

OggFile::~OggFile() {
    close();
}

void OggFile::write(const ogg_page &page) {
    if (_file == nullptr) {
        return;
    }
    const size_t header = static_cast<size_t>(page.header_len);
    const size_t body = static_cast<size_t>(page.body_len);
    if (std::fwrite(page.header, 1, header, _file) != header ||
        std::fwrite(page.body, 1, body, _file) != body) {
        _ok = false;
    }
}

bool OggFile::close() {
    if (_file == nullptr) {
        return false;
    }
    const bool closed = std::fclose(_file) == 0;
    _file = nullptr;
    _ok = _ok && closed;
    return _ok;
}

OggStream::OggStream(int serial) {
    ogg_stream_init(&_state, serial);
}

OggStream::~OggStream() {
    ogg_stream_clear(&_state);
}

void OggStream::packetIn(ogg_packet &packet) {
    ogg_stream_packetin(&_state, &packet);
}

bool OggStream::pageOut(ogg_page &page) {
    return ogg_stream_pageout_fill(&_state, &page, kPageFill) != 0;
}

bool OggStream::flush(ogg_page &page) {
    return ogg_stream_flush(&_state, &page) != 0;
}

void OggStream::writeReadyPages(OggFile &file) {
    ogg_page page;
    while (pageOut(page)) {
        file.write(page);
    }
}

void OggStream::flushTo(OggFile &file) {
    ogg_page page;
    while (flush(page)) {
        file.write(page);
    }
}

} // namespace mediagen
