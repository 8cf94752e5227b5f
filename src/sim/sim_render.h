#pragma once
// The simulated board's 3D pipeline: the scene of platform/render_scene.h
// rasterised in integers (Z test, both textures modulated with the vertex
// colour, specular, fog, alpha blending) into a 32-bit XRGB frame, the same
// every time at a clock that is still clean. Above `gfxOkMHz` the chip
// spoils pixels: ArtifactsPerFrame of them, one flipped bit each, drawn
// from the generator seeded by `seed`. A clock above the hang limits stops
// the machine at the next use (SimVideoBlocks::Stopped), and on a GeForce
// 256 a change of either PLL word loses the surfaces, as the display reset
// after a clock write does on the real board.
#include <stdint.h>

#include "platform/render.h"
#include "platform/render_scene.h"
#include "sim/sim_chip.h"
#include "sim/sim_faults.h"
#include "sim/sim_video_blocks.h"

class SimRender final : public SceneRender {
public:
    static const uint32_t kBitMask = 0x00FFFFFF;

    SimRender(SimChip* chip, SimVideoBlocks* machine) : chip_(chip), machine_(machine) {}

    // false: the machine has no DirectX 6 (Open says so).
    void SetAvailable(bool available) { available_ = available; }
    void SetBoard(SimChipFamily family) { family_ = family; }
    void SetLimits(const SimVideoBlocksLimits& limits);

    uint32_t Open(char* why, uint32_t whySize) override;
    void Close() override { open_ = false; }
    VideoBlocksResult Draw() override;
    VideoBlocksResult Lock(RenderFrameView* view) override;
    void Unlock() override {}
    VideoBlocksResult Restore() override;

    // Pixels spoilt per frame at `excessMHz` above the clean core clock:
    // 2 at 1 MHz, rising with the cube (0 at or below it).
    static double ArtifactsPerFrame(double excessMHz);

private:
    bool Lost();
    void Rasterise(const SceneVertex* v);

    SimChip* chip_;
    SimVideoBlocks* machine_;
    SimChipFamily family_ = SimChipFamily::RivaTnt2;
    bool available_ = true;
    bool open_ = false;
    bool lost_ = false;
    uint32_t gfxOkMHz_ = 0;
    SimPllWords pllWords_;
    SimFaultRandom random_;
    double owed_ = 0;  // the fraction of an artifact carried to the next frame
    SceneVertex scene_[kSceneVertices];
    uint32_t textures_[2][kSceneTextureSize * kSceneTextureSize];
    uint32_t frame_[kSceneWidth * kSceneHeight];
    uint16_t depth_[kSceneWidth * kSceneHeight];
};
