// The RGB texture against the CPU conversion of libtheora's own decode of the same frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include "VideoTestSupport.h"
#include "gpu/Bt601Reference.h"

namespace {

// Decodes a file with libtheora alone, the plain way: pages in order, headers, then data
// packets.
class ReferenceDecoder {
public:
    explicit ReferenceDecoder(const std::string &path) : _file(std::fopen(path.c_str(), "rb")) {
        ogg_sync_init(&_sync);
        th_info_init(&_info);
        th_comment_init(&_comment);
    }
    ~ReferenceDecoder() {
        th_decode_free(_decoder);
        th_setup_free(_setup);
        th_comment_clear(&_comment);
        th_info_clear(&_info);
        if (_haveStream)
            ogg_stream_clear(&_stream);
        ogg_sync_clear(&_sync);
        if (_file)
            std::fclose(_file);
    }

    // The planes of frame `index` (counting frames that carry a picture), as Plane records.
    // Frames are asked for in increasing order.
    bool frame(int index, Plane planes[3]) {
        ogg_packet packet;
        while (_decoded <= index) {
            if (!nextPacket(packet))
                return false;
            if (!_decoder) {
                if (th_decode_headerin(&_info, &_comment, &_setup, &packet) > 0)
                    continue;
                _decoder = th_decode_alloc(&_info, _setup);
            }
            if (th_decode_packetin(_decoder, &packet, nullptr) == 0)
                ++_decoded;
        }
        th_ycbcr_buffer out;
        th_decode_ycbcr_out(_decoder, out);
        for (int i = 0; i < 3; ++i) {
            planes[i].width = out[i].width;
            planes[i].height = out[i].height;
            planes[i].bytes.clear();
            for (int row = 0; row < out[i].height; ++row)
                planes[i].bytes.insert(planes[i].bytes.end(), out[i].data + row * out[i].stride,
                                       out[i].data + row * out[i].stride + out[i].width);
        }
        return true;
    }

private:
    bool nextPacket(ogg_packet &packet) {
        for (;;) {
            if (_haveStream && ogg_stream_packetout(&_stream, &packet) == 1)
                return true;
            ogg_page page;
            while (ogg_sync_pageout(&_sync, &page) != 1) {
                char *buffer = ogg_sync_buffer(&_sync, 4096);
                size_t got = std::fread(buffer, 1, 4096, _file);
                if (got == 0)
                    return false;
                ogg_sync_wrote(&_sync, static_cast<long>(got));
            }
            if (!_haveStream) {
                ogg_stream_init(&_stream, ogg_page_serialno(&page));
                _haveStream = true;
            }
            ogg_stream_pagein(&_stream, &page);
        }
    }

    std::FILE *_file;
    ogg_sync_state _sync;
    ogg_stream_state _stream;
    bool _haveStream = false;
    th_info _info;
    th_comment _comment;
    th_setup_info *_setup = nullptr;
    th_dec_ctx *_decoder = nullptr;
    int _decoded = 0;
};

void expectMatchesReference(const std::string &path, int frames) {
    PlayingVideo player(path);
    ASSERT_EQ(player.openResult(), 1);
    player.play();
    ReferenceDecoder decoder(path);
    for (int frame = 0; frame < frames; ++frame) {
        player.at(frame * 0.04);
        ASSERT_TRUE(player.waitForFrame());
        ASSERT_EQ(player.video().update(), 1);
        Plane planes[3];
        ASSERT_TRUE(decoder.frame(frame, planes));
        Pixels expected = bt601Reference(planes[0], planes[1], planes[2], player.video().width(),
                                         player.video().height());
        Pixels shown = player.scene().readTexture(player.video().texture());
        EXPECT_LE(largestChannelDifference(shown, expected), 2) << path << " frame " << frame;
    }
}

TEST(RgbOutput, MatchesTheReferenceConversionOfLibtheorasDecode) {
    mediagen::TheoraFile file;
    file.frameWidth = 48;
    file.frameHeight = 32;
    file.frames = 4;
    expectMatchesReference(theoraMedia("rgb-420.ogv", file), 4);
    file.pixelFormat = TH_PF_444;
    expectMatchesReference(theoraMedia("rgb-444.ogv", file), 2);
    file.pixelFormat = TH_PF_422;
    expectMatchesReference(theoraMedia("rgb-422.ogv", file), 2);
}

} // namespace
