#include "VideoTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

#include "software/Timer.h"
#include "support/TextFiles.h"

namespace {

// CTest may run several test processes at once in the same folder: each file is written
// under a name of this process's own and then renamed into place, so that a reader never
// sees half a file.
std::string ownTemporaryName(const std::string &name) {
    return name + ".part" + std::to_string(getpid());
}

} // namespace

std::string theoraMedia(const std::string &name, const mediagen::TheoraFile &file) {
    static std::set<std::string> written;
    const std::string path = std::filesystem::absolute(name).string();
    if (written.count(path))
        return path;
    const std::string part = ownTemporaryName(path);
    if (mediagen::writeTheora(part, file) && std::rename(part.c_str(), path.c_str()) == 0)
        written.insert(path);
    return path;
}

void installEffectFile() {
    const std::string part = ownTemporaryName("ycbcr2rgb.fxo");
    {
        std::ifstream in(std::string(QNV_EFFECT_DIR) + "/ycbcr2rgb.fxo", std::ios::binary);
        std::ofstream out(part, std::ios::binary);
        out << in.rdbuf();
    }
    std::rename(part.c_str(), "ycbcr2rgb.fxo");
}

ScratchFolder::ScratchFolder()
    : _home(std::filesystem::current_path()),
      _folder(_home / ("scratch-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(_folder);
    std::filesystem::current_path(_folder);
    installEffectFile();
}

ScratchFolder::~ScratchFolder() {
    std::filesystem::current_path(_home);
    std::error_code ignored;
    std::filesystem::remove_all(_folder, ignored);
}

std::wstring widePath(const std::string &path) {
    return std::wstring(path.begin(), path.end());
}

std::string logText() {
    return testsupport::readFile("qnv_log.txt");
}

PlayingVideo::PlayingVideo(const std::string &path)
    : _scene(64, 64), _video((installEffectFile(), _scene.device())),
      _openResult(_video.open(widePath(path))) {
    _container.setLength(1e9);
    _container.attach(&_video, 0.0);
}

PlayingVideo::~PlayingVideo() {
    _video.close();
    softwareTimerUseSystem();
}

void PlayingVideo::play() {
    softwareTimerSet(kPlayMs);
    _container.play();
}

void PlayingVideo::at(double seconds) {
    softwareTimerSet(kPlayMs + static_cast<uint32_t>(seconds * 1000.0 + 0.5));
}

bool PlayingVideo::waitForFrame() {
    return waitUntil(
        [this] { return _video.queuedFrames() > 0 || _video.state() == TheoraVideo::StreamEnd; });
}

bool PlayingVideo::waitReady() {
    return waitUntil([this] { return _video.isReady(); });
}

int PlayingVideo::shownFrame(const mediagen::PictureRegion &picture) {
    Pixels pixels = _scene.readTexture(_video.texture());
    mediagen::PictureRegion region = picture;
    if (region.width == 0)
        region = {0, 0, pixels.width, pixels.height};
    return mediagen::readFrameNumberArgb(pixels.argb.data(), pixels.width * 4, region);
}
