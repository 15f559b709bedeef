// What the open reads from a file: the Theora stream among others, frame rate, aspect,
// duration, texture sizes, and the exports that hand these to the host.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "VideoTestSupport.h"
#include "quenvo.h"
#include "software/D3D9Hooks.h"

namespace {

mediagen::TheoraFile small(int frames) {
    mediagen::TheoraFile file;
    file.frameWidth = 64;
    file.frameHeight = 48;
    file.frames = frames;
    return file;
}

std::string fileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

D3DSURFACE_DESC levelDesc(IDirect3DTexture9 *texture) {
    D3DSURFACE_DESC desc{};
    EXPECT_NE(texture, nullptr);
    if (texture) {
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    }
    return desc;
}

TEST(StreamFacts, FrameRateAspectAndDuration) {
    mediagen::TheoraFile ntsc = small(10);
    ntsc.fpsNumerator = 30000;
    ntsc.fpsDenominator = 1001;
    ntsc.aspectNumerator = 4;
    ntsc.aspectDenominator = 3;
    PlayingVideo a(theoraMedia("facts-ntsc.ogv", ntsc));
    ASSERT_EQ(a.openResult(), 1);
    EXPECT_EQ(a.video().framesPerSecond(), 29);
    EXPECT_EQ(a.video().aspect(), 1.3333334f);
    EXPECT_DOUBLE_EQ(a.video().getLength(), 10 * 1001 / 30000.0);

    PlayingVideo b(theoraMedia("facts-250.ogv", small(250)));
    ASSERT_EQ(b.openResult(), 1);
    EXPECT_EQ(b.video().framesPerSecond(), 25);
    EXPECT_EQ(b.video().aspect(), 1.0f) << "aspect 0:0";
    EXPECT_DOUBLE_EQ(b.video().getLength(), 10.0);
    EXPECT_EQ(b.video().width(), 64);
    EXPECT_EQ(b.video().height(), 48);
}

TEST(StreamFacts, AudioFirstMultiplexPlaysItsVideo) {
    mediagen::TheoraFile file = small(30);
    file.audio = true;
    std::string path = theoraMedia("facts-muxed.ogv", file);
    std::string bytes = fileBytes(path);
    ASSERT_GT(bytes.size(), 40u);
    ASSERT_EQ(bytes.substr(29, 6), "vorbis") << "the audio beginning page comes first";

    PlayingVideo player(path);
    ASSERT_EQ(player.openResult(), 1);
    EXPECT_DOUBLE_EQ(player.video().getLength(), 30 / 25.0);
    player.play();
    for (int frame = 0; frame < 30; ++frame) {
        player.at(frame * 0.04);
        ASSERT_TRUE(player.waitForFrame());
        ASSERT_EQ(player.video().update(), 1);
        ASSERT_EQ(player.shownFrame(), frame);
    }
}

TEST(StreamFacts, FilesWithoutTheoraAreRefused) {
    mediagen::VorbisLink link;
    link.seconds = 0.5;
    ASSERT_TRUE(mediagen::writeVorbis("facts-vorbis.ogg", link));
    ASSERT_TRUE(mediagen::writeOggWithUnknownStream("facts-unknown.ogg"));
    for (const char *path : {"facts-vorbis.ogg", "facts-unknown.ogg", "no-such.ogv"}) {
        PlayingVideo player(path);
        EXPECT_EQ(player.openResult(), -1) << path;
        EXPECT_EQ(player.video().update(), -2) << path;
    }
}

TEST(StreamFacts, DurationOfShortFilesAndFilesWithoutEndOfStream) {
    std::string shortFile = theoraMedia("facts-short.ogv", small(10));
    ASSERT_LT(fileBytes(shortFile).size(), 32768u);
    PlayingVideo shortVideo(shortFile);
    ASSERT_EQ(shortVideo.openResult(), 1);
    EXPECT_DOUBLE_EQ(shortVideo.video().getLength(), 0.4);

    mediagen::TheoraFile noEnd = small(10);
    noEnd.endOfStream = false;
    PlayingVideo shortNoEnd(theoraMedia("facts-short-noeos.ogv", noEnd));
    ASSERT_EQ(shortNoEnd.openResult(), 1);
    EXPECT_DOUBLE_EQ(shortNoEnd.video().getLength(), 0.4);

    // Longer than the end window, so the search starts inside the file, and the last
    // page carries no end-of-stream flag.
    mediagen::TheoraFile longNoEnd = small(300);
    longNoEnd.endOfStream = false;
    longNoEnd.audio = true;
    std::string longPath = theoraMedia("facts-long-noeos.ogv", longNoEnd);
    ASSERT_GT(fileBytes(longPath).size(), 32768u);
    PlayingVideo longVideo(longPath);
    ASSERT_EQ(longVideo.openResult(), 1);
    EXPECT_DOUBLE_EQ(longVideo.video().getLength(), 12.0);
    // The search does not disturb playback from the start.
    longVideo.play();
    ASSERT_TRUE(longVideo.waitForFrame());
    EXPECT_EQ(longVideo.video().update(), 1);
    EXPECT_EQ(longVideo.shownFrame(), 0);
}

TEST(StreamFacts, TextureSizesFollowThePixelFormat) {
    struct Case {
        th_pixel_fmt format;
        const char *name;
        UINT chromaWidth;
        UINT chromaHeight;
    };
    const Case cases[] = {{TH_PF_420, "facts-420.ogv", 320, 240},
                          {TH_PF_422, "facts-422.ogv", 320, 480},
                          {TH_PF_444, "facts-444.ogv", 640, 480}};
    for (const Case &c : cases) {
        mediagen::TheoraFile file;
        file.frameWidth = 640;
        file.frameHeight = 480;
        file.frames = 2;
        file.pixelFormat = c.format;
        PlayingVideo player(theoraMedia(c.name, file));
        ASSERT_EQ(player.openResult(), 1) << c.name;
        const VideoTextures &t = player.video().textures();
        D3DSURFACE_DESC y = levelDesc(t._pMovieYTex);
        EXPECT_EQ(y.Width, 640u);
        EXPECT_EQ(y.Height, 480u);
        EXPECT_EQ(y.Format, D3DFMT_L8);
        EXPECT_EQ(y.Pool, D3DPOOL_MANAGED);
        for (IDirect3DTexture9 *chroma : {t._pMovieCbTex, t._pMovieCrTex}) {
            D3DSURFACE_DESC d = levelDesc(chroma);
            EXPECT_EQ(d.Width, c.chromaWidth) << c.name;
            EXPECT_EQ(d.Height, c.chromaHeight) << c.name;
            EXPECT_EQ(d.Format, D3DFMT_L8);
        }
        D3DSURFACE_DESC rgb = levelDesc(t._pMovieTex);
        EXPECT_EQ(rgb.Width, 640u);
        EXPECT_EQ(rgb.Height, 480u);
        EXPECT_EQ(rgb.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(rgb.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
        EXPECT_EQ(rgb.Pool, D3DPOOL_DEFAULT);
        EXPECT_EQ(player.video().texture(), t._pMovieTex);
    }
}

TEST(StreamFacts, PictureRegionMarginsReachTheRgbTexture) {
    mediagen::TheoraFile file;
    file.frameWidth = 640;
    file.frameHeight = 480;
    file.picture = {2, 2, 636, 476};
    file.frames = 3;
    PlayingVideo player(theoraMedia("facts-region.ogv", file));
    ASSERT_EQ(player.openResult(), 1);
    EXPECT_EQ(player.video().width(), 640);
    EXPECT_EQ(player.video().height(), 480);
    player.play();
    ASSERT_TRUE(player.waitForFrame());
    ASSERT_EQ(player.video().update(), 1);
    EXPECT_EQ(player.shownFrame(file.picture), 0);

    // The picture's red strip at the lower left is carried into the two-pixel margin by
    // the encoder's edge padding; the whole frame, margin included, is converted.
    Pixels pixels = player.scene().readTexture(player.video().texture());
    ASSERT_EQ(pixels.width, 640);
    for (int y : {300, 400, 479}) {
        uint32_t margin = pixels.at(0, y);
        EXPECT_GT((margin >> 16) & 0xFF, 180u) << "red at row " << y;
        EXPECT_LT((margin >> 8) & 0xFF, 60u) << "green at row " << y;
        EXPECT_LT(margin & 0xFF, 60u) << "blue at row " << y;
    }
}

TEST(StreamFacts, ExportsDescribeTheVideo) {
    mediagen::TheoraFile file = small(25);
    file.aspectNumerator = 4;
    file.aspectDenominator = 3;
    std::string path = theoraMedia("facts-export.ogv", file);
    installEffectFile();
    const LONG liveBefore = SoftwareD3D9LiveObjects();
    {
        SoftwareScene scene(64, 64);
        qnv_init(scene.device());
        EXPECT_EQ(qnv_theoraCreate("no-such.ogv"), 0);
        const int video = qnv_theoraCreate(path.c_str());
        ASSERT_NE(video, 0);
        VideoInfo info{};
        ASSERT_EQ(qnv_theoraInfo(video, &info), 1);
        EXPECT_EQ(info.frameWidth, 64);
        EXPECT_EQ(info.frameHeight, 48);
        EXPECT_EQ(info.framesPerSecond, 25);
        EXPECT_EQ(info.pixelAspect, 1.3333334f);
        EXPECT_EQ(info.length, 1.0f);
        EXPECT_NE(info.texture, nullptr);
        PlaybackStatus status{};
        ASSERT_EQ(qnv_theoraStatus(video, &status), 1);
        EXPECT_EQ(status.time, 0.0);
        EXPECT_EQ(status.length, 1.0);
        ASSERT_TRUE(waitUntil([&] {
            qnv_theoraStatus(video, &status);
            return status.ready == 1;
        }));

        mediagen::VorbisLink link;
        link.seconds = 0.2;
        ASSERT_TRUE(mediagen::writeVorbis("facts-export.ogg", link));
        const int audio = qnv_vorbisCreate("facts-export.ogg");
        if (audio != 0) {
            VideoInfo untouched{};
            untouched.frameWidth = 77;
            EXPECT_EQ(qnv_theoraInfo(audio, &untouched), 0) << "an audio handle has no frame";
            EXPECT_EQ(untouched.frameWidth, 77);
            EXPECT_EQ(qnv_vorbisFree(audio), 1);
        }
        EXPECT_EQ(qnv_theoraFree(video), 1);
        EXPECT_EQ(qnv_theoraInfo(video, &info), 0);

        // A path with bytes above 0x7F (here UTF-8) names the same file as for audio.
        const std::string accented = "facts-vid\xC3\xA9o.ogv";
        std::ifstream source(path, std::ios::binary);
        std::ofstream(accented, std::ios::binary) << source.rdbuf();
        const int again = qnv_theoraCreate(accented.c_str());
        EXPECT_NE(again, 0);
        EXPECT_EQ(qnv_theoraFree(again), again != 0 ? 1 : 0);
        qnv_init(nullptr);
    }
    EXPECT_EQ(SoftwareD3D9LiveObjects(), liveBefore);
}

} // namespace
