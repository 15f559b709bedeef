// A Vorbis encoder feeding one Ogg logical stream. A plain audio file writes its pages
// straight out; a muxer interleaves them with another stream's by pageTime.
#pragma once

#include <cstdint>
#include <functional>

#include <vorbis/codec.h>

#include "OggOutput.h"

namespace mediagen {

class VorbisEncoder {
public:
    // quality: libvorbisenc's VBR quality, -0.1 to 1.0. ok() tells whether the settings
    // were accepted.
    VorbisEncoder(int channels, long rate, float quality, int serial);
    ~VorbisEncoder();
    VorbisEncoder(const VorbisEncoder &) = delete;
    VorbisEncoder &operator=(const VorbisEncoder &) = delete;

    bool ok() const { return _ok; }
    int channels() const { return _channels; }
    long rate() const { return _rate; }

    // The header pages, one per call: the first carries only the identification header
    // (the stream's beginning page), the next ones the comment and setup headers.
    bool headerPage(ogg_page &page);

    // Encodes interleaved float frames (channels() samples each, -1 to 1).
    void write(const float *interleaved, long frames);
    // Ends the stream; the last page carries the exact total frame count.
    void finish();

    // Audio pages once enough data has built up; flushPage also drains a partial page.
    bool pageOut(ogg_page &page) { return _stream.pageOut(page); }
    bool flushPage(ogg_page &page) { return _stream.flush(page); }

    // Writes the whole stream as a file of its own: the header pages, then `frames` frames
    // (frameAt fills one frame's channels() samples), then the last pages. False when a
    // page could not be written.
    bool writeStream(OggFile &file, int64_t frames,
                     const std::function<void(int64_t frame, float *samples)> &frameAt);

    // The time in seconds at the end of a page (from its granule position).
    double pageTime(const ogg_page &page) const;

private:
    void drainPackets();

    int _channels;
    long _rate;
    bool _ok = false;
    bool _finished = false;
    OggStream _stream;
    vorbis_info _info;
    vorbis_comment _comment;
    vorbis_dsp_state _dsp;
    vorbis_block _block;
};

} // namespace mediagen
