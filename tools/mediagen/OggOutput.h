// Ogg output shared by every writer of the generator: a file that takes pages, and a
// logical stream that turns packets into pages. Writers that mux several streams (video
// with audio) pull pages from each stream themselves and hand them to the file in order.
#pragma once

#include <cstdio>
#include <string>

#include <ogg/ogg.h>

namespace mediagen {

// An output file that receives whole Ogg pages. Remembers whether any write failed.
class OggFile {
public:
    explicit OggFile(const std::string &path);
    ~OggFile();
    OggFile(const OggFile &) = delete;
    OggFile &operator=(const OggFile &) = delete;

    void write(const ogg_page &page);
    // Closes the file; true when it was opened and every write succeeded.
    bool close();
    bool ok() const { return _file != nullptr && _ok; }

private:
    FILE *_file;
    bool _ok = true;
};

// One logical stream (one serial number).
class OggStream {
public:
    explicit OggStream(int serial);
    ~OggStream();
    OggStream(const OggStream &) = delete;
    OggStream &operator=(const OggStream &) = delete;

    void packetIn(ogg_packet &packet);
    // The next complete page, if one is ready; flush forces out a partly filled page.
    bool pageOut(ogg_page &page);
    bool flush(ogg_page &page);

    // Writes every page that is ready (all buffered data when flushing) to the file.
    void writeReadyPages(OggFile &file);
    void flushTo(OggFile &file);

private:
    ogg_stream_state _state;
};

} // namespace mediagen
