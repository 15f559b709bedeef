// The media the host plays, made before the run by qnv-mediagen (run-host.sh holds the
// commands; the numbers here must match them) and placed in the host's working folder.
#pragma once

#include "FramePattern.h"

namespace hostmedia {

constexpr char kVideo[] = "video.ogv"; // Theora, frames that show their own number
constexpr char kMusic[] = "music.ogg"; // Vorbis, a stereo tone
constexpr char kMissing[] = "no-such-file.ogv";

constexpr int kFrameWidth = 192;
constexpr int kFrameHeight = 144;
constexpr mediagen::PictureRegion kPicture = {8, 8, 176, 128};
constexpr int kFramesPerSecond = 25;
constexpr float kPixelAspect = 4.0f / 3.0f;
constexpr int kFrames = 100;
constexpr double kVideoSeconds = double(kFrames) / kFramesPerSecond;
constexpr double kMusicSeconds = 6.0;

} // namespace hostmedia
