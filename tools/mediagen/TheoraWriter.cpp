#include "TheoraWriter.h"

#include <algorithm>
#include <memory>

#include <theora/theoraenc.h>

#include "OggOutput.h"
#include "ToneSignal.h"
#include "VorbisEncoder.h"

namespace mediagen {
namespace {

constexpr int kVideoSerial = 0x7e0a;
constexpr int kAudioSerial = 0x0a0d;
constexpr int kAudioChannels = 2;
constexpr long kAudioRate = 44100;

// A page copied out of its stream, so that pages of two streams can be put in time order.
struct StoredPage {
    double time;
    std::string header;
    std::string body;

    StoredPage(double pageTime, const ogg_page &page)
        : time(pageTime), header(reinterpret_cast<const char *>(page.header), page.header_len),
          body(reinterpret_cast<const char *>(page.body), page.body_len) {}

    void writeTo(OggFile &file) const {
        ogg_page page;
        page.header = reinterpret_cast<unsigned char *>(const_cast<char *>(header.data()));
        page.header_len = static_cast<long>(header.size());
        page.body = reinterpret_cast<unsigned char *>(const_cast<char *>(body.data()));
        page.body_len = static_cast<long>(body.size());
        file.write(page);
    }
};

// Collects one stream's pages. A page on which no packet ends has no time of its own and
// takes the time of the page before, so the stream's pages keep their order when sorted.
class PageLog {
public:
    explicit PageLog(std::vector<StoredPage> &pages) : _pages(pages) {}

    void add(double time, const ogg_page &page) {
        if (ogg_page_granulepos(&page) >= 0)
            _lastTime = std::max(_lastTime, time);
        _pages.emplace_back(_lastTime, page);
    }

private:
    std::vector<StoredPage> &_pages;
    double _lastTime = 0.0;
};

struct EncoderFree {
    void operator()(th_enc_ctx *encoder) const { th_encode_free(encoder); }
};
using Encoder = std::unique_ptr<th_enc_ctx, EncoderFree>;

// Frames after `frame` that repeat it.
int repeatsAfter(const TheoraFile &file, int frame) {
    int count = 0;
    const auto &repeated = file.repeatedFrames;
    while (std::find(repeated.begin(), repeated.end(), frame + count + 1) != repeated.end())
        ++count;
    return count;
}

class TheoraStream {
public:
    TheoraStream(const TheoraFile &file, Encoder encoder)
        : _file(file), _encoder(std::move(encoder)), _stream(kVideoSerial),
          _picture(theoraInfoOf(file), file.grain) {}

    // The beginning page (identification header alone), then the other header pages.
    void writeBeginPage(OggFile &out) { writeHeaderPages(out, 1); }
    void writeOtherHeaderPages(OggFile &out) { writeHeaderPages(out, -1); }

    // Encodes every frame; data pages are kept with their end times.
    void encode(PageLog &pages) {
        int repeats = 0;
        for (int frame = 0; frame < _file.frames; frame += 1 + repeats) {
            repeats = std::min(repeatsAfter(_file, frame), _file.frames - frame - 1);
            th_encode_ctl(_encoder.get(), TH_ENCCTL_SET_DUP_COUNT, &repeats, sizeof(repeats));
            _picture.draw(frame);
            th_encode_ycbcr_in(_encoder.get(), _picture.planes());
            bool last = frame + repeats + 1 >= _file.frames;
            ogg_packet packet;
            while (th_encode_packetout(_encoder.get(), last && _file.endOfStream, &packet) > 0)
                _stream.packetIn(packet);
            keepPages(pages, last);
        }
    }

private:
    // Header packets go out one page each for the first `count` (all when negative).
    void writeHeaderPages(OggFile &out, int count) {
        ogg_packet packet;
        while (count != 0 && th_encode_flushheader(_encoder.get(), &_comment.value, &packet) > 0) {
            _stream.packetIn(packet);
            if (packet.b_o_s) {
                _stream.flushTo(out);
                --count;
            }
        }
        _stream.flushTo(out);
    }

    void keepPages(PageLog &pages, bool flush) {
        ogg_page page;
        while (flush ? _stream.flush(page) : _stream.pageOut(page))
            pages.add(th_granule_time(_encoder.get(), ogg_page_granulepos(&page)), page);
    }

    struct Comment {
        th_comment value;
        Comment() { th_comment_init(&value); }
        ~Comment() { th_comment_clear(&value); }
    };

    const TheoraFile &_file;
    Encoder _encoder;
    OggStream _stream;
    PatternFrame _picture;
    Comment _comment;
};

Encoder makeEncoder(const TheoraFile &file) {
    th_info info = theoraInfoOf(file);
    Encoder encoder(th_encode_alloc(&info));
    th_info_clear(&info);
    if (!encoder)
        return encoder;
    int interval = std::max(1, file.keyframeInterval);
    th_encode_ctl(encoder.get(), TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &interval,
                  sizeof(interval));
    // The fastest speed level: test media need not be small.
    int speed = 0;
    if (th_encode_ctl(encoder.get(), TH_ENCCTL_GET_SPLEVEL_MAX, &speed, sizeof(speed)) == 0)
        th_encode_ctl(encoder.get(), TH_ENCCTL_SET_SPLEVEL, &speed, sizeof(speed));
    return encoder;
}

// A tone as long as the video, in pages with their end times.
void encodeAudio(VorbisEncoder &audio, double seconds, PageLog &pages) {
    const long total = static_cast<long>(seconds * kAudioRate);
    const long chunk = 4096;
    std::vector<float> samples(chunk * kAudioChannels);
    ogg_page page;
    for (long start = 0; start < total; start += chunk) {
        long frames = std::min(chunk, total - start);
        for (long f = 0; f < frames; ++f)
            for (int c = 0; c < kAudioChannels; ++c)
                samples[f * kAudioChannels + c] = toneSample(c, start + f, kAudioRate);
        audio.write(samples.data(), frames);
        while (audio.pageOut(page))
            pages.add(audio.pageTime(page), page);
    }
    audio.finish();
    while (audio.flushPage(page))
        pages.add(audio.pageTime(page), page);
}

} // namespace

th_info theoraInfoOf(const TheoraFile &file) {
    th_info info;
    th_info_init(&info);
    info.frame_width = static_cast<ogg_uint32_t>(file.frameWidth);
    info.frame_height = static_cast<ogg_uint32_t>(file.frameHeight);
    bool whole = file.picture.width <= 0 || file.picture.height <= 0;
    info.pic_width = static_cast<ogg_uint32_t>(whole ? file.frameWidth : file.picture.width);
    info.pic_height = static_cast<ogg_uint32_t>(whole ? file.frameHeight : file.picture.height);
    info.pic_x = static_cast<ogg_uint32_t>(whole ? 0 : file.picture.x);
    info.pic_y = static_cast<ogg_uint32_t>(whole ? 0 : file.picture.y);
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = file.pixelFormat;
    info.fps_numerator = static_cast<ogg_uint32_t>(file.fpsNumerator);
    info.fps_denominator = static_cast<ogg_uint32_t>(file.fpsDenominator);
    info.aspect_numerator = static_cast<ogg_uint32_t>(file.aspectNumerator);
    info.aspect_denominator = static_cast<ogg_uint32_t>(file.aspectDenominator);
    info.quality = file.quality;
    info.target_bitrate = 0;
    info.keyframe_granule_shift = 6;
    return info;
}

bool writeTheora(const std::string &path, const TheoraFile &file) {
    if (file.frames < 1 || file.fpsNumerator < 1 || file.fpsDenominator < 1)
        return false;
    Encoder encoder = makeEncoder(file);
    if (!encoder)
        return false;
    OggFile out(path);
    if (!out.ok())
        return false;
    TheoraStream video(file, std::move(encoder));
    std::unique_ptr<VorbisEncoder> audio;
    if (file.audio) {
        audio = std::make_unique<VorbisEncoder>(kAudioChannels, kAudioRate, 0.1f, kAudioSerial);
        if (!audio->ok())
            return false;
    }

    // Beginning pages first (the audio one leading), then the other header pages.
    ogg_page page;
    if (audio && audio->headerPage(page))
        out.write(page);
    video.writeBeginPage(out);
    video.writeOtherHeaderPages(out);
    while (audio && audio->headerPage(page))
        out.write(page);

    std::vector<StoredPage> pages;
    PageLog videoPages(pages);
    video.encode(videoPages);
    if (audio) {
        PageLog audioPages(pages);
        double seconds = static_cast<double>(file.frames) * file.fpsDenominator / file.fpsNumerator;
        encodeAudio(*audio, seconds, audioPages);
    }
    std::stable_sort(pages.begin(), pages.end(),
                     [](const StoredPage &a, const StoredPage &b) { return a.time < b.time; });
    for (const StoredPage &stored : pages)
        stored.writeTo(out);
    return out.close();
}

} // namespace mediagen
