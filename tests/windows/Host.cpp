#include "Host.h"

#include <mmsystem.h>

#include "HostMedia.h"

namespace {

int hostsMade = 0;

} // namespace

double hostSeconds() {
    return timeGetTime() / 1000.0;
}

Host::Host() : _window(kWidth, kHeight), _fresh(hostsMade++ == 0) {
    if (ready())
        q().init(device());
}

bool Host::ready() const {
    return device() && _library.complete();
}

std::string Host::problem() const {
    if (!device())
        return "no Direct3D 9 HAL device (CreateDevice result " +
               std::to_string(long(_window.createResult())) + ")";
    if (!_library.loaded())
        return "Quenvo.dll did not load";
    std::string names;
    for (const std::string &name : _library.missingNames())
        names += " " + name;
    return names.empty() ? std::string() : "Quenvo.dll lacks" + names;
}

void Host::frame(const std::function<void()> &afterUpdate) {
    _window.frame(kClearColour, [&] {
        q().update();
        if (afterUpdate)
            afterUpdate();
    });
}

bool Host::framesUntil(const std::function<bool()> &done, double seconds) {
    const double end = hostSeconds() + seconds;
    while (hostSeconds() < end) {
        frame();
        if (done())
            return true;
        Sleep(5); // a game's frame takes time; this keeps the loop from starving the others
    }
    return done();
}

void Host::framesFor(double seconds) {
    framesUntil([] { return false; }, seconds);
}

PlaybackStatus Host::containerStatus(int container) const {
    PlaybackStatus status = {};
    q().contrStatus(container, &status);
    return status;
}

PlaybackStatus Host::mediaStatus(int media) const {
    PlaybackStatus status = {};
    q().theoraStatus(media, &status);
    return status;
}

VideoInfo Host::videoInfo(int media) const {
    VideoInfo info = {};
    q().theoraInfo(media, &info);
    return info;
}

int Host::shownFrame(int video) const {
    const ArgbImage image = readTexture(device(), videoInfo(video).texture);
    if (image.empty())
        return -1;
    return mediagen::readFrameNumberArgb(image.rows(), image.pitch(), hostmedia::kPicture);
}
