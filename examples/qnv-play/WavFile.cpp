#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct FileCloser {
    void operator()(FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

void putLe(std::vector<uint8_t> &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

std::vector<uint8_t> wavHeader(uint32_t dataBytes, int rate, int channels) {
    const uint32_t blockAlign = static_cast<uint32_t>(channels) * 2;
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putLe(header, 36 + dataBytes, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLe(header, 16, 4); // size of the format chunk
    putLe(header, 1, 2);  // PCM
    putLe(header, static_cast<uint32_t>(channels), 2);
    putLe(header, static_cast<uint32_t>(rate), 4);
    putLe(header, static_cast<uint32_t>(rate) * blockAlign, 4);
    putLe(header, blockAlign, 2);
    putLe(header, 16, 2); // bits per sample
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putLe(header, dataBytes, 4);
    return header;
}

long fileSize(FILE *file) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const long size = std::ftell(file);
    return std::fseek(file, 0, SEEK_SET) == 0 ? size : -1;
}

} // namespace

int16_t floatToPcm16(float sample) {
    if (!(sample > -1.0f)) { // also catches NaN
        return sample < 0.0f ? -32767 : 0;
    }
    if (sample >= 1.0f) {
        return 32767;
    }
    return static_cast<int16_t>(std::lround(sample * 32767.0f));
}

WavResult convertCaptureToWav(const std::string &capturePath, const std::string &wavPath, int rate,
                              int channels) {
    WavResult result;
    if (rate <= 0 || channels <= 0) {
        return result;
    }
    File capture(std::fopen(capturePath.c_str(), "rb"));
    if (!capture) {
        return result;
    }
    const long size = fileSize(capture.get());
    const long frameBytes = static_cast<long>(sizeof(float)) * channels;
    if (size < 0) {
        return result;
    }
    const int64_t frames = size / frameBytes;
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * channels * 2;
    if (dataBytes > 0xFFFFFFFFu - 36) {
        return result;
    }
    File wav(std::fopen(wavPath.c_str(), "wb"));
    if (!wav) {
        return result;
    }
    const std::vector<uint8_t> header = wavHeader(static_cast<uint32_t>(dataBytes), rate, channels);
    bool ok = std::fwrite(header.data(), 1, header.size(), wav.get()) == header.size();

    constexpr int64_t kChunkFrames = 4096;
    std::vector<float> in(static_cast<size_t>(kChunkFrames * channels));
    std::vector<uint8_t> out(in.size() * 2);
    for (int64_t done = 0; ok && done < frames; done += kChunkFrames) {
        const size_t count = static_cast<size_t>(std::min(kChunkFrames, frames - done)) * channels;
        ok = std::fread(in.data(), sizeof(float), count, capture.get()) == count;
        for (size_t i = 0; ok && i < count; ++i) {
            const auto pcm = static_cast<uint16_t>(floatToPcm16(in[i]));
            out[2 * i] = static_cast<uint8_t>(pcm & 0xff);
            out[2 * i + 1] = static_cast<uint8_t>(pcm >> 8);
        }
        ok = ok && std::fwrite(out.data(), 1, count * 2, wav.get()) == count * 2;
    }
    result.ok = std::fclose(wav.release()) == 0 && ok;
    result.frames = result.ok ? frames : 0;
    return result;
}
