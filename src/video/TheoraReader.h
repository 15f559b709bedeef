// The reading half of a Theora video object: finds the Theora stream among the logical
// streams of an Ogg file, reads its three headers, sets up the decoder, finds the
// duration from the end of the file, and hands out the stream's packets one at a time.
//
// All of it runs on one thread at a time: the host's thread during the open, then the
// decode thread, with stop and close taking their turn under the video's cycle lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include <ogg/ogg.h>
#include <theora/theoradec.h>

class TheoraReader {
public:
    static constexpr long kReadChunk = 8192;  // bytes asked of the file per read
    static constexpr long kEndWindow = 32768; // the duration search reads this much
    // Larger frames come only from damaged headers; Direct3D 9 has no textures that big.
    static constexpr ogg_uint32_t kMaxFrameSide = 16384;

    // The video's state: the reader moves it to 1 (stream found), 2 (decoder ready) and,
    // when a read meets the end of the file in state 3, to 4.
    explicit TheoraReader(std::atomic<int32_t> &state);
    ~TheoraReader();
    TheoraReader(const TheoraReader &) = delete;
    TheoraReader &operator=(const TheoraReader &) = delete;

    // Opens the file and reads up to the first video packet, which stays in the stream;
    // allocates the decoder. False when the file cannot be opened, holds no Theora stream,
    // or ends before the first video packet.
    bool openHeaders(const std::wstring &path);

    // Length of the stream in seconds: the time of its end-of-stream page, else of the
    // last Theora page that carries a granule position. Uses up the waiting first video
    // packet; call rewind afterwards.
    double findDuration();

    // Back to the first page of the file, with the end-of-file condition cleared and the
    // decoder's frame clock at the start of the stream.
    void rewind();

    // The next packet of the Theora stream into packet(): 1; otherwise the last result of
    // ogg_stream_packetout (0, or -1 after a gap) when the file has no more pages.
    int nextPacket();

    const th_info &info() const { return _info; }
    ogg_packet &packet() { return _packet; }
    th_dec_ctx *decoder() { return _decoder; }

    void freeDecoder();
    // Releases the stream and sync state and closes the file.
    void close();

private:
    int readPage();
    void readChunk();
    void seekTo(long offset);
    bool findTheoraStream();
    bool readHeaders();
    ogg_int64_t lastGranuleFrom(long offset);

    std::atomic<int32_t> &_state;
    std::wstring _path;
    std::FILE *_file = nullptr;
    bool _fileGood = false; // false once a read came up short (end of file or error)
    ogg_sync_state _sync;
    bool _syncReady = false;
    ogg_stream_state _stream;
    bool _streamReady = false;
    ogg_page _page;
    ogg_packet _packet;
    th_info _info;
    th_comment _comment;
    th_setup_info *_setup = nullptr;
    th_dec_ctx *_decoder = nullptr;
    int _serialNo = 0;
};
