#include "PlaybackWatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "FramePattern.h"
#include "OutputFolder.h"
#include "PngFile.h"
#include "VideoWindow.h"

namespace {

// The sound's clock is compared with its timeline only well inside the sound: at its
// start and end the clock legitimately stands still.
constexpr double kAudioEdgeSeconds = 0.1;

std::string framePngPath(int index, int frameNumber) {
    char name[64];
    if (frameNumber >= 0) {
        std::snprintf(name, sizeof name, "frames/frame_%05d.png", frameNumber);
    } else {
        std::snprintf(name, sizeof name, "frames/shown_%05d.png", index);
    }
    return name;
}

uint64_t blankHashOf(TextureReadback &readback, IDirect3DTexture9 *texture, Image &frame) {
    return readback.read(texture, frame) ? hashBytes(frame.bgra.data(), frame.bgra.size()) : 0;
}

// Frames due from the video's start up to `videoTime`, no more than the video holds.
int framesDue(double videoTime, const VideoInfo &info) {
    if (videoTime < 0.0 || info.framesPerSecond <= 0) {
        return 0;
    }
    const int inVideo = static_cast<int>(std::lround(info.length * info.framesPerSecond));
    return std::min(inVideo, static_cast<int>(videoTime * info.framesPerSecond) + 1);
}

} // namespace

PlaybackWatch::PlaybackWatch(IDirect3DDevice9 *device, const TimelineMedia &media,
                             const PlayerOptions &options)
    : _media(media), _options(options), _readback(device),
      _video(1.0 / options.hostRate, blankHashOf(_readback, media.info.texture, _frame)),
      _log(kLogFileName),
      _sheet(options.sheetColumns, options.sheetRows,
             std::clamp(media.length - options.videoOffset, 0.0,
                        std::max(0.0, static_cast<double>(media.info.length)))) {}

void PlaybackWatch::watch(double frameClock, VideoWindow *window) {
    _clock = frameClock;
    ++_hostFrames;
    _log.poll();
    if (_media.video != 0) {
        watchVideo(frameClock, window);
    }
    if (_media.audio != 0) {
        watchAudio();
    }
}

void PlaybackWatch::watchVideo(double clock, VideoWindow *window) {
    if (!_readback.read(_media.info.texture, _frame)) {
        return;
    }
    // The picture of a generated video carries its frame number; the whole frame stands
    // in for the picture region, which the library does not report.
    const mediagen::PictureRegion wholeFrame{0, 0, _frame.width, _frame.height};
    VideoSample sample;
    sample.localTime = clock - _options.videoOffset;
    sample.frameNumber =
        mediagen::readFrameNumberArgb(_frame.bgra.data(), _frame.pitch(), wholeFrame);
    sample.pictureHash = hashBytes(_frame.bgra.data(), _frame.bgra.size());
    PlaybackStatus shown{};
    qnv_theoraStatus(_media.video, &shown);
    sample.shownTime = shown.time;
    if (_video.take(sample)) {
        const int index = _video.framesShown() - 1;
        if (_options.frameEvery > 0 && index % _options.frameEvery == 0) {
            _writer.write(framePngPath(index, sample.frameNumber), _frame);
        }
        _sheet.offer(sample.localTime, _frame);
    }
    if (window != nullptr) {
        window->show(_frame);
    }
}

void PlaybackWatch::watchAudio() {
    // Both readings together, so that they describe one moment.
    PlaybackStatus sound{};
    PlaybackStatus timeline{};
    if (qnv_vorbisStatus(_media.audio, &sound) == 0 ||
        qnv_contrStatus(_media.container, &timeline) == 0) {
        return;
    }
    const double local = timeline.time - _options.audioOffset;
    if (local > kAudioEdgeSeconds && local < _media.audioLength - kAudioEdgeSeconds) {
        _audio.take(sound.time, local);
    }
}

std::string PlaybackWatch::progress() const {
    return formatProgress(
        {_clock, _media.length, _video.framesShown(), _video.lateFrames(), _log.resyncs()});
}

void PlaybackWatch::finish(Summary &summary) {
    summary.played = _clock;
    summary.hostFrames = _hostFrames;
    summary.hostRate = _options.hostRate;
    summary.framesShown = _video.framesShown();
    summary.framesExpected = framesDue(_clock - _options.videoOffset, _media.info);
    summary.skippedFrames = _video.skippedFrames();
    summary.lateFrames = _video.lateFrames();
    summary.worstDelayMs = _video.worstDelay() * 1000.0;
    summary.resyncs = _log.resyncs();
    summary.failures = _log.failures();
    summary.audioMeasured = _audio.samples() > 0;
    summary.avMeanMs = _audio.meanOffset() * 1000.0;
    summary.avLastMs = _audio.lastOffset() * 1000.0;
    summary.avWorstMs = _audio.worstOffset() * 1000.0;
    _writer.finish(summary.pngsWritten, summary.pngsFailed);
    if (_media.video != 0 && _sheet.filledSlots() > 0 &&
        writePng("contact.png", _sheet.compose())) {
        summary.sheetPath = summary.outDir + "/contact.png";
    }
}
