#include "VideoTestSupport.h"

#include <filesystem>
#include <set>

#include "software/Timer.h"
#include "support/TextFiles.h"

std::string theoraMedia(const std::string &name, const mediagen::TheoraFile &file) {
    static std::set<std::string> written;
    const std::string path = std::filesystem::absolute(name).string();
    if (!written.count(path) && mediagen::writeTheora(path, file))
        written.insert(path);
    return path;
}

void installEffectFile() {
    std::filesystem::copy_file(std::string(QNV_EFFECT_DIR) + "/ycbcr2rgb.fxo", "ycbcr2rgb.fxo",
                               std::filesystem::copy_options::overwrite_existing);
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
