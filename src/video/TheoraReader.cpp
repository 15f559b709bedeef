#include "TheoraReader.h"

#include <algorithm>

#include "WidePathFile.h"

TheoraReader::TheoraReader(std::atomic<int32_t> &state) : _state(state), _page{}, _packet{} {
    th_info_init(&_info);
    th_comment_init(&_comment);
}

TheoraReader::~TheoraReader() {
    freeDecoder();
    close();
    th_setup_free(_setup);
    th_comment_clear(&_comment);
    th_info_clear(&_info);
}

bool TheoraReader::openHeaders(const std::wstring &path) {
    _path = path;
    _file = openWidePathForReading(_path);
    if (_file == nullptr)
        return false;
    _fileGood = true;
    ogg_sync_init(&_sync);
    _syncReady = true;
    if (!findTheoraStream() || !readHeaders())
        return false;
    if (_info.frame_width > kMaxFrameSide || _info.frame_height > kMaxFrameSide)
        return false;
    _decoder = th_decode_alloc(&_info, _setup);
    th_setup_free(_setup);
    _setup = nullptr;
    if (_decoder == nullptr)
        return false;
    _state = 2;
    return true;
}

// Tries the first packet of each beginning-of-stream page as a Theora identification
// header. Pages of other streams have their own serial numbers, so the Theora stream
// state refuses them later.
bool TheoraReader::findTheoraStream() {
    for (;;) {
        if (readPage() != 1 || !ogg_page_bos(&_page))
            return false;
        int serial = ogg_page_serialno(&_page);
        ogg_stream_init(&_stream, serial);
        _streamReady = true;
        ogg_stream_pagein(&_stream, &_page);
        if (ogg_stream_packetout(&_stream, &_packet) == 1 &&
            th_decode_headerin(&_info, &_comment, &_setup, &_packet) >= 0) {
            _serialNo = serial;
            _state = 1;
            return true;
        }
        ogg_stream_clear(&_stream);
        _streamReady = false;
        // A refused header may have filled part of the record, which would make the next
        // identification header look like a repeat.
        th_info_clear(&_info);
        th_info_init(&_info);
    }
}

// Takes header packets until th_decode_headerin reports the first video packet, which is
// only looked at and stays in the stream. A page is read only when no whole packet waits,
// so a short file whose headers and frames share a few pages opens too.
bool TheoraReader::readHeaders() {
    for (;;) {
        int peeked = ogg_stream_packetpeek(&_stream, &_packet);
        if (peeked < 0)
            continue; // the peek has stepped over a gap
        if (peeked == 0) {
            if (readPage() != 1)
                return false;
            ogg_stream_pagein(&_stream, &_page);
            continue;
        }
        if (th_decode_headerin(&_info, &_comment, &_setup, &_packet) == 0)
            return true;
        ogg_stream_packetout(&_stream, nullptr);
    }
}

int TheoraReader::readPage() {
    for (;;) {
        int captured = ogg_sync_pageout(&_sync, &_page);
        if (captured == 1)
            return 1;
        if (captured < 0)
            continue; // bytes were skipped to regain sync; a page may follow at once
        if (!_fileGood) {
            int ready = 3;
            _state.compare_exchange_strong(ready, 4);
            return -1;
        }
        readChunk();
    }
}

void TheoraReader::readChunk() {
    char *buffer = ogg_sync_buffer(&_sync, kReadChunk);
    if (buffer == nullptr) {
        _fileGood = false; // libogg could not grow its buffer: treat as the end
        return;
    }
    size_t got = std::fread(buffer, 1, kReadChunk, _file);
    ogg_sync_wrote(&_sync, static_cast<long>(got));
    if (got < static_cast<size_t>(kReadChunk))
        _fileGood = false;
}

void TheoraReader::seekTo(long offset) {
    std::clearerr(_file);
    _fileGood = std::fseek(_file, offset, SEEK_SET) == 0;
    ogg_sync_reset(&_sync);
}

int TheoraReader::nextPacket() {
    int result = _streamReady ? ogg_stream_packetout(&_stream, &_packet) : 0;
    while (result != 1) {
        if (readPage() != 1)
            return result;
        ogg_stream_pagein(&_stream, &_page);
        result = ogg_stream_packetout(&_stream, &_packet);
    }
    return 1;
}

// The granule position of the Theora end-of-stream page met first from offset on, or of
// the last Theora page with one; -1 when there is none.
ogg_int64_t TheoraReader::lastGranuleFrom(long offset) {
    seekTo(offset);
    ogg_int64_t granule = -1;
    while (readPage() == 1) {
        if (ogg_page_serialno(&_page) != _serialNo)
            continue;
        ogg_int64_t pageGranule = ogg_page_granulepos(&_page);
        if (pageGranule >= 0)
            granule = pageGranule;
        if (ogg_page_eos(&_page))
            break;
    }
    return granule;
}

double TheoraReader::findDuration() {
    std::fseek(_file, 0, SEEK_END);
    long size = std::ftell(_file);
    long windowStart = std::max(0L, size - kEndWindow);
    ogg_int64_t granule = lastGranuleFrom(windowStart);
    if (granule < 0 && windowStart > 0)
        granule = lastGranuleFrom(0);
    if (granule < 0)
        return 0.0;
    // Decoding the first video packet (a keyframe) at that granule position gives the
    // position in the decoder's own frame count, the one the decode thread's times use.
    th_decode_ctl(_decoder, TH_DECCTL_SET_GRANPOS, &granule, sizeof(granule));
    if (ogg_stream_packetout(&_stream, &_packet) == 1)
        th_decode_packetin(_decoder, &_packet, &granule);
    return std::max(0.0, th_granule_time(_decoder, granule));
}

void TheoraReader::rewind() {
    seekTo(0);
    ogg_stream_reset(&_stream);
    // The first page of the file holds a beginning-of-stream header; it is not needed
    // again and is not submitted. The headers after it reach the decode thread, which
    // passes over them.
    readPage();
    ogg_int64_t start = 0;
    th_decode_ctl(_decoder, TH_DECCTL_SET_GRANPOS, &start, sizeof(start));
}

void TheoraReader::freeDecoder() {
    th_decode_free(_decoder);
    _decoder = nullptr;
}

void TheoraReader::close() {
    if (_streamReady)
        ogg_stream_clear(&_stream);
    _streamReady = false;
    if (_syncReady)
        ogg_sync_clear(&_sync);
    _syncReady = false;
    if (_file != nullptr)
        std::fclose(_file);
    _file = nullptr;
    _fileGood = false;
}
