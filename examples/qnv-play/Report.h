// The player's text output: the progress line while it plays and the summary at the end.
#pragma once

#include <string>

struct ProgressFigures {
    double clock = 0.0;  // the container's clock, seconds
    double length = 0.0; // where it stops
    int framesShown = 0;
    int lateFrames = 0;
    int resyncs = 0;
};

// "[#########-----------]  2.3 / 5.0 s  frames 57  late 0  resyncs 0", the bar `width`
// characters wide.
std::string formatProgress(const ProgressFigures &figures, int width = 30);

struct Summary {
    std::string video; // file name, or empty when none plays
    int videoWidth = 0;
    int videoHeight = 0;
    int videoFps = 0;
    double videoLength = 0.0;
    std::string audio;
    double audioLength = 0.0;
    double played = 0.0; // container clock reached, seconds
    int hostFrames = 0;
    double hostRate = 0.0;
    int framesShown = 0;
    int framesExpected = 0; // frames due within the time played
    int skippedFrames = 0;
    int lateFrames = 0;
    double worstDelayMs = 0.0;
    int resyncs = 0;
    int failures = 0; // failure entries in the log
    bool audioMeasured = false;
    double avMeanMs = 0.0;
    double avLastMs = 0.0;
    double avWorstMs = 0.0;
    int pngsWritten = 0;
    int pngsFailed = 0;
    std::string sheetPath; // empty when not written
    std::string wavPath;   // empty when not written
    double wavSeconds = 0.0;
    std::string outDir;
};

// One "name: value" line per figure, easy to read and to parse.
std::string formatSummary(const Summary &summary);
