// The folders the player works with: its own (where the built-in sample and the effect
// file lie) and the output folder, which becomes the current directory while it plays so
// that the library finds "ycbcr2rgb.fxo" and writes "qnv_log.txt" there.
#pragma once

#include <string>

// The folder of the running executable, or "." when it cannot be found.
std::string executableFolder();

// `path` made absolute against the current directory (unchanged when already absolute).
std::string absolutePath(const std::string &path);

// Creates `dir` (and its parents) and its "frames" subfolder when `withFrames`, and
// removes what an earlier run left there (log, frame PNGs, sheet, sound, summary), so that
// every figure comes from this run. False with `error` set when the folder cannot be made.
bool prepareOutputFolder(const std::string &dir, bool withFrames, std::string &error);

// Copies the effect file from `fromDir` into `toDir` unless both are the same folder.
bool copyEffectFile(const std::string &fromDir, const std::string &toDir);

// The name of the effect file the library loads from its current directory.
constexpr const char *kEffectFileName = "ycbcr2rgb.fxo";
constexpr const char *kLogFileName = "qnv_log.txt";
