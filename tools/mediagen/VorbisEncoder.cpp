#include "VorbisEncoder.h"

#include <algorithm>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace mediagen {

VorbisEncoder::VorbisEncoder(int channels, long rate, float quality, int serial)
    : _channels(channels), _rate(rate), _stream(serial) {
    vorbis_info_init(&_info);
    vorbis_comment_init(&_comment);
    if (channels < 1 || rate < 1 || vorbis_encode_init_vbr(&_info, channels, rate, quality) != 0) {
        return;
    }
    vorbis_comment_add_tag(&_comment, "ENCODER", "qnv-mediagen");
    vorbis_analysis_init(&_dsp, &_info);
    vorbis_block_init(&_dsp, &_block);

    ogg_packet id;
    ogg_packet comment;
    ogg_packet setup;
    vorbis_analysis_headerout(&_dsp, &_comment, &id, &comment, &setup);
    _stream.packetIn(id);
    _stream.packetIn(comment);
    _stream.packetIn(setup);
    _ok = true;
}

VorbisEncoder::~VorbisEncoder() {
    if (_ok) {
        vorbis_block_clear(&_block);
        vorbis_dsp_clear(&_dsp);
    }
    vorbis_comment_clear(&_comment);
    vorbis_info_clear(&_info);
}

bool VorbisEncoder::headerPage(ogg_page &page) {
    return _ok && _stream.flush(page);
}

void VorbisEncoder::write(const float *interleaved, long frames) {
    if (!_ok || _finished || frames <= 0) {
        return;
    }
    float **planes = vorbis_analysis_buffer(&_dsp, static_cast<int>(frames));
    for (long f = 0; f < frames; ++f) {
        for (int c = 0; c < _channels; ++c) {
            planes[c][f] = interleaved[f * _channels + c];
        }
    }
    vorbis_analysis_wrote(&_dsp, static_cast<int>(frames));
    drainPackets();
}

void VorbisEncoder::finish() {
    if (!_ok || _finished) {
        return;
    }
    _finished = true;
    vorbis_analysis_wrote(&_dsp, 0);
    drainPackets();
}

double VorbisEncoder::pageTime(const ogg_page &page) const {
    const int64_t granule = ogg_page_granulepos(&page);
    return granule < 0 ? 0.0 : static_cast<double>(granule) / static_cast<double>(_rate);
}

void VorbisEncoder::drainPackets() {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&_dsp, &_block) == 1) {
        vorbis_analysis(&_block, nullptr);
        vorbis_bitrate_addblock(&_block);
        while (vorbis_bitrate_flushpacket(&_dsp, &packet) == 1) {
            _stream.packetIn(packet);
        }
    }
}

bool VorbisEncoder::writeStream(OggFile &file, int64_t frames,
                                const std::function<void(int64_t, float *)> &frameAt) {
    constexpr long kChunkFrames = 4096;
    ogg_page page;
    while (headerPage(page)) {
        file.write(page);
    }
    std::vector<float> chunk(static_cast<size_t>(kChunkFrames) * _channels);
    for (int64_t start = 0; start < frames; start += kChunkFrames) {
        const long count = static_cast<long>(std::min<int64_t>(kChunkFrames, frames - start));
        for (long f = 0; f < count; ++f) {
            frameAt(start + f, &chunk[static_cast<size_t>(f) * _channels]);
        }
        write(chunk.data(), count);
        while (pageOut(page)) {
            file.write(page);
        }
    }
    finish();
    while (flushPage(page)) {
        file.write(page);
    }
    return file.ok();
}

} // namespace mediagen
