#include "Player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "ContactSheet.h"
#include "FramePattern.h"
#include "FrameWriter.h"
#include "LogWatcher.h"
#include "OutputFolder.h"
#include "PlaybackStats.h"
#include "PngFile.h"
#include "TextureReadback.h"
#include "VideoWindow.h"
#include "quenvo.h"
#include "quenvo_software.h"

namespace {

using Clock = std::chrono::steady_clock;

// The back buffer of the host's device; the video draws into a texture of its own size.
constexpr UINT kBackBufferWidth = 640;
constexpr UINT kBackBufferHeight = 480;
// The container is expected to stop itself at its length; if it has not this long after,
// the player gives up rather than run forever.
constexpr double kStopGraceSeconds = 10.0;
// The sound's clock is compared with its timeline only well inside the sound: at its
// start and end the clock legitimately stands still.
constexpr double kAudioEdgeSeconds = 0.1;

std::string baseName(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string framePngPath(int index, int frameNumber) {
    char name[64];
    if (frameNumber >= 0) {
        std::snprintf(name, sizeof name, "frames/frame_%05d.png", frameNumber);
    } else {
        std::snprintf(name, sizeof name, "frames/shown_%05d.png", index);
    }
    return name;
}

// Paces the frame loop at the host rate in real time. When the host falls more than a
// frame behind (a slow frame), it starts a new schedule instead of rushing to catch up,
// as a game's fixed-rate loop does.
class FramePacer {
public:
    explicit FramePacer(double rate)
        : _period(std::chrono::duration_cast<Clock::duration>(
              std::chrono::duration<double>(1.0 / rate))),
          _next(Clock::now()) {}

    void wait() {
        const Clock::time_point now = Clock::now();
        if (now < _next) {
            std::this_thread::sleep_until(_next);
        } else if (now - _next > _period) {
            _next = now;
        }
        _next += _period;
    }

private:
    Clock::duration _period;
    Clock::time_point _next;
};

} // namespace

struct Player::Media {
    int container = 0;
    int video = 0;
    int audio = 0;
    VideoInfo info{};
    double audioLength = 0.0;
    double length = 0.0;
};

Player::Player(const PlayerOptions &options, std::string outDir)
    : _options(options), _outDir(std::move(outDir)) {}

Player::~Player() {
    if (_device != nullptr) {
        _device->Release();
    }
}

bool Player::createMedia(Media &media, Summary &summary, std::string &error) {
    media.container = qnv_contrCreate();
    if (!_options.video.empty()) {
        media.video = qnv_theoraCreate(_options.video.c_str());
        if (media.video == 0 || qnv_theoraInfo(media.video, &media.info) == 0) {
            std::fprintf(stderr, "qnv-play: cannot play the video %s\n", _options.video.c_str());
        } else {
            qnv_contrAddTheora(media.container, media.video, _options.videoOffset);
            summary.video = baseName(_options.video);
            summary.videoWidth = media.info.frameWidth;
            summary.videoHeight = media.info.frameHeight;
            summary.videoFps = media.info.framesPerSecond;
            summary.videoLength = media.info.length;
            media.length = std::max(media.length, _options.videoOffset + summary.videoLength);
        }
    }
    if (!_options.audio.empty()) {
        media.audio = qnv_vorbisCreate(_options.audio.c_str());
        PlaybackStatus status{};
        if (media.audio == 0 || qnv_vorbisStatus(media.audio, &status) == 0) {
            std::fprintf(stderr, "qnv-play: cannot play the sound %s\n", _options.audio.c_str());
        } else {
            qnv_contrAddVorbis(media.container, media.audio, _options.audioOffset);
            summary.audio = baseName(_options.audio);
            summary.audioLength = media.audioLength = status.length;
            media.length = std::max(media.length, _options.audioOffset + status.length);
        }
    }
    if (summary.video.empty() && summary.audio.empty()) {
        error = "nothing to play (see " + _outDir + "/" + kLogFileName + ")";
        return false;
    }
    if (_options.length > 0.0) {
        media.length = _options.length;
    }
    qnv_contrSetLength(media.container, media.length);
    return true;
}

bool Player::play(Summary &summary, std::string &error) {
    if (chdir(_outDir.c_str()) != 0) {
        error = "cannot enter " + _outDir;
        return false;
    }
    _device = CreateSoftwareDevice9(kBackBufferWidth, kBackBufferHeight, TRUE);
    if (_device == nullptr) {
        error = "cannot create the Direct3D 9 device";
        return false;
    }
    qnv_init(_device);
    Media media;
    if (!createMedia(media, summary, error)) {
        qnv_contrFree(media.container);
        return false;
    }
    if (_options.window && media.video != 0) {
        _window = std::make_unique<VideoWindow>("qnv-play " + summary.video, media.info.frameWidth,
                                                media.info.frameHeight);
        if (!_window->ok()) {
            std::fprintf(stderr, "qnv-play: no window (%s); playing on\n",
                         _window->error().c_str());
        }
    }
    loop(media, summary);
    qnv_contrFree(media.container);
    return true;
}

void Player::loop(Media &media, Summary &summary) {
    TextureReadback readback(_device);
    Image frame;
    IDirect3DTexture9 *texture = media.video != 0 ? media.info.texture : nullptr;
    uint64_t blankHash = 0;
    if (readback.read(texture, frame)) {
        blankHash = hashBytes(frame.bgra.data(), frame.bgra.size());
    }
    const double hostPeriod = 1.0 / _options.hostRate;
    VideoStats video(media.info.framesPerSecond, hostPeriod, blankHash);
    AudioOffsetStats audio;
    LogWatcher log(kLogFileName);
    ContactSheet sheet(
        _options.sheetColumns, _options.sheetRows,
        std::max(0.0, std::min(summary.videoLength, media.length - _options.videoOffset)));
    FrameWriter writer;
    const mediagen::PictureRegion wholeFrame{0, 0, media.info.frameWidth, media.info.frameHeight};
    const bool tty = isatty(STDOUT_FILENO) != 0;
    Clock::time_point lastProgress;
    FramePacer pacer(_options.hostRate);
    const int maxHostFrames =
        static_cast<int>((media.length + kStopGraceSeconds) * _options.hostRate);

    qnv_contrPlay(media.container);
    double clock = 0.0;
    for (int hostFrame = 0; hostFrame < maxHostFrames; ++hostFrame) {
        pacer.wait();
        _device->BeginScene();
        qnv_update();
        _device->EndScene();
        _device->Present(nullptr, nullptr, nullptr, nullptr);

        PlaybackStatus status{};
        qnv_contrStatus(media.container, &status);
        if (status.state != 1) {
            break; // stopped itself at its length
        }
        clock = status.time;
        ++summary.hostFrames;
        log.poll();

        if (texture != nullptr && readback.read(texture, frame)) {
            VideoSample sample;
            sample.localTime = clock - _options.videoOffset;
            sample.frameNumber = readFrameNumberArgb(frame.bgra.data(), frame.pitch(), wholeFrame);
            sample.pictureHash = hashBytes(frame.bgra.data(), frame.bgra.size());
            PlaybackStatus shown{};
            qnv_theoraStatus(media.video, &shown);
            sample.shownTime = shown.time;
            if (video.take(sample)) {
                const int index = video.framesShown() - 1;
                if (_options.frameEvery > 0 && index % _options.frameEvery == 0) {
                    writer.write(framePngPath(index, sample.frameNumber), frame);
                }
                sheet.offer(sample.localTime, frame);
            }
            if (_window) {
                _window->show(frame);
            }
        }
        if (_window && !_window->pump()) {
            break;
        }
        const double audioLocal = clock - _options.audioOffset;
        PlaybackStatus sound{};
        if (media.audio != 0 && audioLocal > kAudioEdgeSeconds &&
            audioLocal < media.audioLength - kAudioEdgeSeconds &&
            qnv_vorbisStatus(media.audio, &sound) != 0) {
            audio.take(sound.time, audioLocal);
        }
        const Clock::time_point now = Clock::now();
        if (!_options.quiet && now - lastProgress > std::chrono::milliseconds(tty ? 100 : 1000)) {
            lastProgress = now;
            const std::string line = formatProgress(
                {clock, media.length, video.framesShown(), video.lateFrames(), log.resyncs()});
            std::printf(tty ? "\r%s" : "%s\n", line.c_str());
            std::fflush(stdout);
        }
    }
    if (!_options.quiet && tty) {
        std::printf("\n");
    }

    summary.played = clock;
    summary.hostRate = _options.hostRate;
    summary.framesShown = video.framesShown();
    summary.skippedFrames = video.skippedFrames();
    summary.lateFrames = video.lateFrames();
    summary.worstDelayMs = video.worstDelay() * 1000.0;
    const double videoTime = std::min<double>(clock - _options.videoOffset, media.info.length);
    summary.framesExpected =
        videoTime < 0.0 ? 0
                        : std::min(static_cast<int>(
                                       std::lround(media.info.length * media.info.framesPerSecond)),
                                   static_cast<int>(videoTime * media.info.framesPerSecond) + 1);
    summary.resyncs = log.resyncs();
    summary.failures = log.failures();
    summary.audioMeasured = audio.samples() > 0;
    summary.avMeanMs = audio.meanOffset() * 1000.0;
    summary.avLastMs = audio.lastOffset() * 1000.0;
    summary.avWorstMs = audio.worstOffset() * 1000.0;
    writer.finish(summary.pngsWritten, summary.pngsFailed);
    if (media.video != 0 && sheet.filledSlots() > 0 && writePng("contact.png", sheet.compose())) {
        summary.sheetPath = _outDir + "/contact.png";
    }
}
