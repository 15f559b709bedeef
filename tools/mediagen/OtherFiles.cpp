#include "OtherFiles.h"

#include <cstdio>
#include <vector>

#include "OggOutput.h"

namespace mediagen {

bool writeOggWithUnknownStream(const std::string &path) {
    OggFile file(path);
    if (!file.ok()) {
        return false;
    }
    OggStream stream(0x51560100);
    constexpr int kPackets = 8;
    std::vector<unsigned char> data(500);
    for (int i = 0; i < kPackets; ++i) {
        for (size_t b = 0; b < data.size(); ++b) {
            data[b] = static_cast<unsigned char>(b * 7 + i);
        }
        ogg_packet packet{};
        packet.packet = data.data();
        packet.bytes = static_cast<long>(data.size());
        packet.b_o_s = i == 0;
        packet.e_o_s = i == kPackets - 1;
        packet.granulepos = i;
        packet.packetno = i;
        stream.packetIn(packet);
        stream.writeReadyPages(file);
    }
    stream.flushTo(file);
    return file.close();
}

bool writeBytes(const std::string &path, const std::string &bytes) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace mediagen
