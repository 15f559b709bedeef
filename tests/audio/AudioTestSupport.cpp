#include "AudioTestSupport.h"

#include <set>
#include <stdexcept>

#include "core/Trace.h"
#include "support/TextFiles.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

// libvorbisenc 1.3.7 loses one residue setup (2,848 bytes) whenever it sets up a
// six-channel encoder; the generator cannot free it, so LeakSanitizer is told about it.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:vorbis_encode_setup_init\n";
}

namespace audiotest {

std::string generated(const std::string &name, const std::vector<mediagen::VorbisLink> &links) {
    static std::set<std::string> written;
    if (written.insert(name).second && !mediagen::writeVorbis(name, links)) {
        throw std::runtime_error("cannot write " + name);
    }
    return name;
}

std::string generated(const std::string &name, const mediagen::VorbisLink &link) {
    return generated(name, std::vector<mediagen::VorbisLink>{link});
}

std::vector<int16_t> decodeAll(const std::string &path) {
    std::vector<int16_t> pcm;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        return pcm;
    }
    char chunk[4096];
    int link = 0;
    long got;
    while ((got = ov_read(&file, chunk, sizeof chunk, 0, 2, 1, &link)) != 0) {
        if (got > 0) {
            const int16_t *samples = reinterpret_cast<const int16_t *>(chunk);
            pcm.insert(pcm.end(), samples, samples + got / 2);
        }
    }
    ov_clear(&file);
    return pcm;
}

std::vector<uint8_t> decodeAllBytes(const std::string &path) {
    const std::vector<int16_t> pcm = decodeAll(path);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(pcm.data());
    return std::vector<uint8_t>(bytes, bytes + pcm.size() * 2);
}

std::string readLog() {
    return testsupport::readFile("qnv_log.txt");
}

int countInLog(const std::string &needle) {
    static const bool started = (traceWarning("AudioTestSupport", 1, "audio tests start"), true);
    (void)started;
    return testsupport::countOccurrences(readLog(), needle);
}

int outOfSyncWarnings() {
    return countInLog("VorbisAudio.cpp(209) : Warning Audio out of sync");
}

} // namespace audiotest
