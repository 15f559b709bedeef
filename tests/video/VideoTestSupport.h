// Shared by the video tests: generated media, the effect file in the working directory,
// waiting on the decode thread with a generous deadline, and a video playing on a
// container whose clock the test drives.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "MediaGen.h"
#include "gpu/SoftwareScene.h"
#include "support/WaitUntil.h"
#include "timeline/Container.h"
#include "video/TheoraVideo.h"

// Writes the file into the working directory the first time a name is asked for and
// returns its absolute path. The same name must always come with the same settings.
std::string theoraMedia(const std::string &name, const mediagen::TheoraFile &file);

// Copies ycbcr2rgb.fxo from the effect build folder into the working directory.
void installEffectFile();

std::wstring widePath(const std::string &path);

using testsupport::waitUntil;

// The whole text of qnv_log.txt, empty when there is none.
std::string logText();

// A TheoraVideo on a software device, attached at offset 0 to a container whose clock
// the test sets through the millisecond timer.
class PlayingVideo {
public:
    static constexpr uint32_t kPlayMs = 100000; // timer reading at which play is called

    explicit PlayingVideo(const std::string &path);
    ~PlayingVideo();

    TheoraVideo &video() { return _video; }
    SoftwareScene &scene() { return _scene; }
    Container &container() { return _container; }
    int openResult() const { return _openResult; }

    // Plays the container from timer reading kPlayMs.
    void play();
    // Moves the timer so that the container's clock reads `seconds` since play.
    void at(double seconds);
    // Waits until a frame is queued or the stream has ended.
    bool waitForFrame();
    bool waitReady();
    // The number the RGB texture shows; -1 when it shows none. `picture` is the file's
    // picture region when it is not the whole frame.
    int shownFrame(const mediagen::PictureRegion &picture = {});

private:
    SoftwareScene _scene;
    Container _container;
    TheoraVideo _video;
    int _openResult;
};
