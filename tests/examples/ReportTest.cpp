#include <gtest/gtest.h>

#include "Report.h"

TEST(Report, ProgressBarFillsWithTheClockAndStaysWithinItsWidth) {
    EXPECT_EQ(formatProgress({0.0, 5.0, 0, 0, 0}, 10),
              "[----------]   0.0 / 5.0 s  frames 0  late 0  resyncs 0");
    EXPECT_EQ(formatProgress({2.5, 5.0, 62, 1, 2}, 10),
              "[#####-----]   2.5 / 5.0 s  frames 62  late 1  resyncs 2");
    // A clock read just past the length, or a timeline of no length, keeps the bar whole.
    EXPECT_EQ(formatProgress({5.2, 5.0, 125, 0, 0}, 10).substr(0, 12), "[##########]");
    EXPECT_EQ(formatProgress({1.0, 0.0, 0, 0, 0}, 10).substr(0, 12), "[----------]");
}

TEST(Report, SummaryNamesOnlyWhatWasPlayedAndWritten) {
    Summary audioOnly;
    audioOnly.audio = "tune.ogg";
    audioOnly.audioLength = 5.0;
    audioOnly.played = 4.99;
    audioOnly.hostFrames = 299;
    audioOnly.hostRate = 60.0;
    audioOnly.resyncs = 1;
    audioOnly.audioMeasured = true;
    audioOnly.avMeanMs = -12.34;
    audioOnly.avLastMs = 5.0;
    audioOnly.avWorstMs = -40.0;
    audioOnly.wavPath = "out/audio.wav";
    audioOnly.wavSeconds = 5.12;
    audioOnly.outDir = "out";
    EXPECT_EQ(formatSummary(audioOnly), "qnv-play summary\n"
                                        "audio: tune.ogg, 5.00 s\n"
                                        "played: 4.99 s in 299 host frames at 60 Hz\n"
                                        "resyncs: 1\n"
                                        "failed calls in log: 0\n"
                                        "A/V offset: -12.3 ms mean, +5.0 ms at end, -40.0 ms "
                                        "worst\n"
                                        "sound: out/audio.wav (5.12 s)\n"
                                        "output: out\n");

    Summary videoOnly;
    videoOnly.video = "clip.ogv";
    videoOnly.videoWidth = 640;
    videoOnly.videoHeight = 368;
    videoOnly.videoFps = 25;
    videoOnly.videoLength = 5.0;
    videoOnly.framesShown = 120;
    videoOnly.framesExpected = 125;
    videoOnly.lateFrames = 3;
    videoOnly.worstDelayMs = 21.5;
    videoOnly.pngsWritten = 24;
    videoOnly.sheetPath = "out/contact.png";
    const std::string text = formatSummary(videoOnly);
    EXPECT_NE(text.find("video: clip.ogv, 640x368, 25 fps, 5.00 s\n"), std::string::npos);
    EXPECT_NE(text.find("frames shown: 120 of 125 due\n"), std::string::npos);
    EXPECT_NE(text.find("late frames: 3 (worst 21.5 ms after due)\n"), std::string::npos);
    EXPECT_NE(text.find("frame PNGs: 24 written, 0 failed\n"), std::string::npos);
    EXPECT_NE(text.find("contact sheet: out/contact.png\n"), std::string::npos);
    EXPECT_EQ(text.find("A/V offset"), std::string::npos);
    EXPECT_EQ(text.find("sound:"), std::string::npos);
    EXPECT_EQ(text.find("audio:"), std::string::npos);
}
