// One 1280x720 4:2:0 frame converted to RGB two ways: through the GPU pass and its effect on
// the software device, and by a plain C++ BT.601 loop over the same planes. Prints the
// ratio of the two processor times at the end.
//
//     gpu_pass_bench [--benchmark_min_time=2]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Platform.h"
#include "gpu/GPUVideoRender.h"
#include "quenvo_software.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

struct Frame {
    std::vector<uint8_t> y, cb, cr; // 4:2:0: chroma planes are half width, half height
};

// Ramps and a checker, so that no shortcut for flat input could apply.
Frame makeFrame() {
    Frame frame;
    frame.y.resize(size_t(kWidth) * kHeight);
    frame.cb.resize(size_t(kWidth / 2) * (kHeight / 2));
    frame.cr.resize(frame.cb.size());
    for (int j = 0; j < kHeight; ++j) {
        for (int i = 0; i < kWidth; ++i) {
            frame.y[size_t(j) * kWidth + i] =
                uint8_t((16 + i * 219 / kWidth) ^ (((j / 8) & 1) * 32));
        }
    }
    for (int j = 0; j < kHeight / 2; ++j) {
        for (int i = 0; i < kWidth / 2; ++i) {
            frame.cb[size_t(j) * (kWidth / 2) + i] = uint8_t(16 + j * 224 / (kHeight / 2));
            frame.cr[size_t(j) * (kWidth / 2) + i] = uint8_t(240 - i * 224 / (kWidth / 2));
        }
    }
    return frame;
}

IDirect3DTexture9 *planeTexture(IDirect3DDevice9 *device, const std::vector<uint8_t> &bytes,
                                int width, int height) {
    IDirect3DTexture9 *texture = nullptr;
    device->CreateTexture(UINT(width), UINT(height), 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &texture,
                          nullptr);
    D3DLOCKED_RECT rect;
    texture->LockRect(0, &rect, nullptr, 0);
    for (int row = 0; row < height; ++row) {
        std::memcpy(static_cast<uint8_t *>(rect.pBits) + row * rect.Pitch,
                    &bytes[size_t(row) * width], size_t(width));
    }
    texture->UnlockRect(0);
    return texture;
}

void effectPass(benchmark::State &state) {
    const Frame frame = makeFrame();
    IDirect3DDevice9 *device = CreateSoftwareDevice9(kWidth, kHeight, TRUE);
    IDirect3DTexture9 *texY = planeTexture(device, frame.y, kWidth, kHeight);
    IDirect3DTexture9 *texCb = planeTexture(device, frame.cb, kWidth / 2, kHeight / 2);
    IDirect3DTexture9 *texCr = planeTexture(device, frame.cr, kWidth / 2, kHeight / 2);
    IDirect3DTexture9 *dest = nullptr;
    device->CreateTexture(kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                          D3DPOOL_DEFAULT, &dest, nullptr);
    {
        std::string path = std::string(QNV_EFFECT_DIR) + "/ycbcr2rgb.fxo";
        GPUVideoRender render(device, std::wstring(path.begin(), path.end()));
        render.setSize(kWidth, kHeight);
        for (auto _ : state) {
            device->BeginScene();
            render.render(texY, texCb, texCr, dest);
            device->EndScene();
        }
    }
    dest->Release();
    texCr->Release();
    texCb->Release();
    texY->Release();
    device->Release();
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

uint8_t level(float value) {
    return uint8_t(std::min(std::max(value, 0.0f), 1.0f) * 255.0f + 0.5f);
}

// The conversion a program would write without a GPU: each pixel takes the chroma sample
// of its 2x2 block.
void nativeLoop(benchmark::State &state) {
    const Frame frame = makeFrame();
    std::vector<uint32_t> argb(size_t(kWidth) * kHeight);
    for (auto _ : state) {
        for (int j = 0; j < kHeight; ++j) {
            const uint8_t *yRow = &frame.y[size_t(j) * kWidth];
            const uint8_t *cbRow = &frame.cb[size_t(j / 2) * (kWidth / 2)];
            const uint8_t *crRow = &frame.cr[size_t(j / 2) * (kWidth / 2)];
            uint32_t *out = &argb[size_t(j) * kWidth];
            for (int i = 0; i < kWidth; ++i) {
                float luma = 1.164f * (yRow[i] / 255.0f - 16.0f / 255.0f);
                float blue = cbRow[i / 2] / 255.0f - 128.0f / 255.0f;
                float red = crRow[i / 2] / 255.0f - 128.0f / 255.0f;
                out[i] = 0xFF000000u | uint32_t(level(luma + 1.596f * red)) << 16 |
                         uint32_t(level(luma - 0.392f * blue - 0.813f * red)) << 8 |
                         level(luma + 2.017f * blue);
            }
        }
        benchmark::DoNotOptimize(argb.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

BENCHMARK(effectPass)
    ->Name("convert_1280x720_420/effect_on_software_device")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(nativeLoop)->Name("convert_1280x720_420/native_cpp")->Unit(benchmark::kMillisecond);

// The console report, and at the end the effect's processor time over the native loop's
// (processor time, because the machine may be shared; with repetitions, the medians).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                _seconds[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto effect = _seconds.find("convert_1280x720_420/effect_on_software_device");
        auto native = _seconds.find("convert_1280x720_420/native_cpp");
        if (effect != _seconds.end() && native != _seconds.end() && native->second > 0) {
            std::printf("effect / native processor time ratio: %.2f\n",
                        effect->second / native->second);
        }
    }

private:
    std::map<std::string, double> _seconds;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
