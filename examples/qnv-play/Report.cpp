#include "Report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

std::string format(const char *pattern, ...) {
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

} // namespace

std::string formatProgress(const ProgressFigures &f, int width) {
    const double share = f.length > 0.0 ? std::clamp(f.clock / f.length, 0.0, 1.0) : 0.0;
    const int filled = static_cast<int>(share * width + 0.5);
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]" +
           format(" %5.1f / %.1f s  frames %d  late %d  resyncs %d", f.clock, f.length,
                  f.framesShown, f.lateFrames, f.resyncs);
}

std::string formatSummary(const Summary &s) {
    std::string text = "qnv-play summary\n";
    if (!s.video.empty()) {
        text += format("video: %s, %dx%d, %d fps, %.2f s\n", s.video.c_str(), s.videoWidth,
                       s.videoHeight, s.videoFps, s.videoLength);
    }
    if (!s.audio.empty()) {
        text += format("audio: %s, %.2f s\n", s.audio.c_str(), s.audioLength);
    }
    text +=
        format("played: %.2f s in %d host frames at %g Hz\n", s.played, s.hostFrames, s.hostRate);
    if (!s.video.empty()) {
        text += format("frames shown: %d of %d due\n", s.framesShown, s.framesExpected);
        text += format("frames skipped: %d\n", s.skippedFrames);
        text += format("late frames: %d (worst %.1f ms after due)\n", s.lateFrames, s.worstDelayMs);
    }
    text += format("resyncs: %d\n", s.resyncs);
    text += format("failed calls in log: %d\n", s.failures);
    if (s.audioMeasured) {
        text += format("A/V offset: %+.1f ms mean, %+.1f ms at end, %+.1f ms worst\n", s.avMeanMs,
                       s.avLastMs, s.avWorstMs);
    }
    if (s.pngsWritten > 0 || s.pngsFailed > 0) {
        text += format("frame PNGs: %d written, %d failed\n", s.pngsWritten, s.pngsFailed);
    }
    if (!s.sheetPath.empty()) {
        text += "contact sheet: " + s.sheetPath + "\n";
    }
    if (!s.wavPath.empty()) {
        text += format("sound: %s (%.2f s)\n", s.wavPath.c_str(), s.wavSeconds);
    }
    text += "output: " + s.outDir + "\n";
    return text;
}
