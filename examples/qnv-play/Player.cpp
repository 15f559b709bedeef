#include "Player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "OutputFolder.h"
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
constexpr double kMaxHostFrames = 1e12;
constexpr int kContainerPlaying = 1;

std::string baseName(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

// The progress line: redrawn in place on a terminal, a line a second otherwise (logs).
class ProgressPrinter {
public:
    explicit ProgressPrinter(bool quiet) : _quiet(quiet), _tty(isatty(STDOUT_FILENO) != 0) {}
    ~ProgressPrinter() {
        if (_printed && _tty) {
            std::printf("\n");
        }
    }

    void print(const PlaybackWatch &watch) {
        const Clock::time_point now = Clock::now();
        if (_quiet || (_printed && now - _last < std::chrono::milliseconds(_tty ? 100 : 1000))) {
            return;
        }
        _last = now;
        _printed = true;
        std::printf(_tty ? "\r%s" : "%s\n", watch.progress().c_str());
        std::fflush(stdout);
    }

private:
    bool _quiet;
    bool _tty;
    bool _printed = false;
    Clock::time_point _last;
};

} // namespace

Player::Player(const PlayerOptions &options, std::string outDir)
    : _options(options), _outDir(std::move(outDir)) {}

Player::~Player() {
    if (_media.container != 0) {
        qnv_contrFree(_media.container); // frees its media too
    }
    _window.reset();
    if (_device != nullptr) {
        _device->Release();
    }
}

bool Player::createMedia(Summary &summary, std::string &error) {
    _media.container = qnv_contrCreate();
    const std::string seeLog = " (see " + _outDir + "/" + kLogFileName + ")";
    if (!_options.video.empty()) {
        _media.video = qnv_theoraCreate(_options.video.c_str());
        if (_media.video == 0 || qnv_theoraInfo(_media.video, &_media.info) == 0) {
            std::fprintf(stderr, "qnv-play: cannot play the video %s%s\n", _options.video.c_str(),
                         seeLog.c_str());
            _media.video = 0;
        } else {
            qnv_contrAddTheora(_media.container, _media.video, _options.videoOffset);
            summary.video = baseName(_options.video);
            summary.videoWidth = _media.info.frameWidth;
            summary.videoHeight = _media.info.frameHeight;
            summary.videoFps = _media.info.framesPerSecond;
            summary.videoLength = _media.info.length;
            _media.length = std::max(_media.length, _options.videoOffset + summary.videoLength);
        }
    }
    if (!_options.audio.empty()) {
        _media.audio = qnv_vorbisCreate(_options.audio.c_str());
        PlaybackStatus status{};
        if (_media.audio == 0 || qnv_vorbisStatus(_media.audio, &status) == 0) {
            std::fprintf(stderr, "qnv-play: cannot play the sound %s%s\n", _options.audio.c_str(),
                         seeLog.c_str());
            _media.audio = 0;
        } else {
            qnv_contrAddVorbis(_media.container, _media.audio, _options.audioOffset);
            summary.audio = baseName(_options.audio);
            summary.audioLength = _media.audioLength = status.length;
            _media.length = std::max(_media.length, _options.audioOffset + status.length);
        }
    }
    if (_media.video == 0 && _media.audio == 0) {
        error = "nothing to play";
        return false;
    }
    if (_options.length > 0.0) {
        _media.length = _options.length;
    }
    qnv_contrSetLength(_media.container, _media.length);
    return true;
}

void Player::openWindow(const Summary &summary) {
    if (!_options.window || _media.video == 0) {
        return;
    }
    _window = std::make_unique<VideoWindow>("qnv-play " + summary.video, _media.info.frameWidth,
                                            _media.info.frameHeight);
    if (!_window->ok()) {
        std::fprintf(stderr, "qnv-play: no window (%s); playing on without one\n",
                     _window->error().c_str());
        _window.reset();
    }
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
    if (!createMedia(summary, error)) {
        return false;
    }
    openWindow(summary);
    loop(summary);
    return true;
}

void Player::loop(Summary &summary) {
    PlaybackWatch watch(_device, _media, _options);
    ProgressPrinter progress(_options.quiet);
    FramePacer pacer(_options.hostRate);
    // A length read from a damaged file can be anything, NaN included: the count is
    // clamped before it becomes an integer.
    const double frameBudget = (_media.length + kStopGraceSeconds) * _options.hostRate;
    const int64_t maxHostFrames =
        static_cast<int64_t>(frameBudget < kMaxHostFrames ? frameBudget : kMaxHostFrames);

    qnv_contrPlay(_media.container);
    int64_t hostFrame = 0;
    for (; hostFrame < maxHostFrames; ++hostFrame) {
        pacer.wait();
        // The host frame's time: the clock as qnv_update is about to see it.
        PlaybackStatus frameStart{};
        qnv_contrStatus(_media.container, &frameStart);
        _device->BeginScene();
        qnv_update();
        _device->EndScene();
        _device->Present(nullptr, nullptr, nullptr, nullptr);

        PlaybackStatus status{};
        qnv_contrStatus(_media.container, &status);
        if (status.state != kContainerPlaying) {
            break; // it stopped itself at its length
        }
        watch.watch(frameStart.time, _window.get());
        progress.print(watch);
        if (_window && !_window->pump()) {
            break;
        }
    }
    if (hostFrame == maxHostFrames) {
        std::fprintf(stderr, "qnv-play: the timeline did not stop at %.2f s; gave up\n",
                     _media.length);
    }
    watch.finish(summary);
}
