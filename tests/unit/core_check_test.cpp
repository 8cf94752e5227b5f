#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "clock_test/core_check.h"
#include "clock_test/patterns.h"
#include "sim_fixture.h"

namespace {

// A render whose frames the test writes: a fixed picture, then `spoil` may
// change the frame of draw number n (0 and 1 are the reference).
class ScriptedRender final : public SceneRender {
public:
    uint32_t rowWords = 8, rows = 4, pitchWords = 8, bitMask = 0x00FFFFFF, pixelsPerWord = 1;
    std::function<void(std::vector<uint32_t>&, int)> spoil;
    bool loseNext = false;
    int draws = 0, restores = 0;

    uint32_t Open(char*, uint32_t) override { return 1; }
    void Close() override {}
    VideoBlocksResult Draw() override
    {
        if (loseNext) {
            loseNext = false;
            return VideoBlocksResult::Lost;
        }
        frame.assign(pitchWords * rows, 0);
        for (size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<uint32_t>(i * 0x01030507u);
        if (spoil)
            spoil(frame, draws);
        ++draws;
        return VideoBlocksResult::Ok;
    }
    VideoBlocksResult Lock(RenderFrameView* view) override
    {
        *view = RenderFrameView{frame.data(), rowWords, rows, pitchWords, bitMask, pixelsPerWord};
        return VideoBlocksResult::Ok;
    }
    void Unlock() override {}
    VideoBlocksResult Restore() override
    {
        ++restores;
        return VideoBlocksResult::Ok;
    }

private:
    std::vector<uint32_t> frame;
};

class CoreCheckTest : public SimPcTest {
protected:
    CoreCheckTest() : reference(kCoreReferenceWords) { AttachVideoMemory(); }

    // The check on `render` with the copies over the simulated board's video memory.
    void Begin(SceneRender* render)
    {
        char why[80];
        ASSERT_GT(pc->videoBlocks.Open(why, sizeof why), 0u) << why;
        MemTestBegin(&copies, &pc->videoBlocks, kCoreClockPatterns, kCoreClockPatternCount, 3);
        CoreCheckBegin(&check, render, reference.data(), kCoreReferenceWords);
        CoreCheckStep(&check);
    }

    // The reference made at a clean clock, then the board set up as `config`
    // says (the clock that runs now above or below its limits).
    void BeginCleanThen(const char* config)
    {
        Configure("board=GravenorPro ddr=1 gfxok=125");
        Begin(&pc->render);
        ASSERT_TRUE(check.render);
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(MemTestStatus::Working, CoreCheckContinue(&check, &copies, 1 << 20));
        ASSERT_EQ(2u, check.referenceFrames);
        Configure(config);
    }

    // Calls until `frames` frames are counted (or the check stops).
    MemTestStatus RunFrames(uint32_t frames)
    {
        MemTestStatus status = MemTestStatus::Working;
        for (int calls = 0; calls < 10000 && check.frames < frames && status != MemTestStatus::Failed; ++calls)
            status = CoreCheckContinue(&check, &copies, 1 << 20);
        return status;
    }

    std::vector<uint32_t> reference;
    MemTest copies;
    CoreCheck check;
};

// Two references that agree; then a pixel that differs is one artifact, in
// whatever the format carries, and bits outside it never count.
TEST_F(CoreCheckTest, ReferenceRuleCountsPixelsThatDifferInTheFormatsBits)
{
    struct Case {
        const char* what;
        uint32_t pitchWords, bitMask, pixelsPerWord;
        int draw;  // which draw is spoilt
        size_t word;
        uint32_t flip;
        bool repeatable;
        uint32_t artifacts;
    };
    const Case cases[] = {
        {"one pixel of a 32-bit frame", 8, 0x00FFFFFF, 1, 2, 5, 0x00000100, true, 1},
        {"the X byte of XRGB", 8, 0x00FFFFFF, 1, 2, 5, 0xFF000000, true, 0},
        {"both pixels of a 16-bit word", 8, 0xFFFFFFFF, 2, 2, 9, 0x00010001, true, 2},
        {"one pixel of a 16-bit word", 8, 0xFFFFFFFF, 2, 2, 9, 0x00200000, true, 1},
        {"the X bits of 1555", 8, 0x7FFF7FFF, 2, 2, 9, 0x80008000, true, 0},
        {"past the row, within the pitch", 10, 0x00FFFFFF, 1, 2, 18, 0x00000001, true, 0},
        {"the X byte of the second reference", 8, 0x00FFFFFF, 1, 1, 3, 0x01000000, true, 0},
        {"a pixel of the second reference", 8, 0x00FFFFFF, 1, 1, 3, 0x00000001, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedRender render;
        render.pitchWords = c.pitchWords;
        render.bitMask = c.bitMask;
        render.pixelsPerWord = c.pixelsPerWord;
        render.spoil = [&](std::vector<uint32_t>& frame, int draw) {
            if (draw == c.draw)
                frame[c.word] ^= c.flip;
        };
        Begin(&render);
        const MemTestStatus status = RunFrames(2);
        if (!c.repeatable) {
            EXPECT_EQ(MemTestStatus::Failed, status);
            EXPECT_STREQ("3D output is not repeatable at the present clock", check.why);
            EXPECT_EQ(2, render.draws);  // and nothing further was tested
            EXPECT_EQ(0u, check.frames);
            continue;
        }
        EXPECT_EQ(MemTestStatus::Working, status);
        EXPECT_EQ(2u, check.frames);
        EXPECT_EQ(c.artifacts, check.artifacts);
        EXPECT_EQ(c.artifacts, copies.totals.errors.count);  // a step's errors count them
        EXPECT_EQ(c.artifacts ? c.flip & c.bitMask : 0u, copies.totals.errors.failingBits);
    }
}

// A lost surface is restored and its frame made again, never counted; a
// round is a render pass, then the chip's copies, then rendering again.
TEST_F(CoreCheckTest, LostFramesAreMadeAgainAndEachRoundEndsWithTheCopies)
{
    ScriptedRender render;
    Begin(&render);
    EXPECT_STREQ("the reference frame", CoreCheckActivity(check));
    ASSERT_EQ(MemTestStatus::Working, RunFrames(1));
    render.loseNext = true;
    EXPECT_EQ(MemTestStatus::Working, CoreCheckContinue(&check, &copies, 1 << 20));
    EXPECT_EQ(1, render.restores);
    EXPECT_EQ(1u, check.frames);
    EXPECT_STREQ("rendering the 3D scene", CoreCheckActivity(check));
    RunFrames(kFramesPerRenderPass);
    EXPECT_STREQ("copies by the chip", CoreCheckActivity(check));
    const int drawn = render.draws;
    MemTestStatus status;
    while ((status = CoreCheckContinue(&check, &copies, 1 << 20)) == MemTestStatus::Working) {
    }
    EXPECT_EQ(MemTestStatus::PassDone, status);
    EXPECT_EQ(drawn, render.draws);  // nothing rendered during the copies
    EXPECT_EQ(1u, copies.totals.passes);
    EXPECT_STREQ("rendering the 3D scene", CoreCheckActivity(check));
    EXPECT_EQ(0u, copies.totals.errors.count);
}

// The simulated board's render: the same frame at a clean clock, a real
// picture, artifacts above gfxok= (steeply more further above) while the
// copies stay clean up to gfx2dok=; without DirectX 6 only the copies run.
TEST_F(CoreCheckTest, SimulatedRenderSpoilsFramesAboveTheCleanCoreClockOnly)
{
    // The GeForce 256 DDR runs its core at 120.05 MHz.
    struct Case {
        const char* config;
        bool artifacts;
    };
    const Case cases[] = {
        {"board=GravenorPro ddr=1 gfxok=121", false},
        {"board=GravenorPro ddr=1 gfxok=120", false},
        {"board=GravenorPro ddr=1 gfxok=119", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        BeginCleanThen(c.config);
        MemTestStatus status = RunFrames(kFramesPerRenderPass);
        while (status == MemTestStatus::Working)
            status = CoreCheckContinue(&check, &copies, 1 << 20);
        EXPECT_EQ(MemTestStatus::PassDone, status);
        EXPECT_EQ(c.artifacts, check.artifacts > 0) << check.artifacts;
        EXPECT_EQ(check.artifacts, copies.totals.errors.count);  // the copies hold to gfxok + 8
    }
    RenderFrameView frame;
    ASSERT_EQ(VideoBlocksResult::Ok, pc->render.Lock(&frame));
    const std::set<uint32_t> colours(frame.base, frame.base + frame.rows * frame.pitchWords);
    EXPECT_GT(colours.size(), 1000u);

    // Three times further above, far more than three times the artifacts.
    uint32_t counted[2];
    const char* const steeper[] = {"board=GravenorPro ddr=1 gfxok=119", "board=GravenorPro ddr=1 gfxok=117"};
    for (int i = 0; i < 2; ++i) {
        BeginCleanThen(steeper[i]);
        RunFrames(8);
        counted[i] = check.artifacts;
    }
    EXPECT_GT(counted[1], 10 * counted[0]);

    Configure("board=GravenorPro ddr=1 d3d=0");
    Begin(&pc->render);
    EXPECT_EQ(nullptr, check.render);
    EXPECT_STREQ("needs DirectX 6 or later", check.renderMissing);
    EXPECT_STREQ("copies by the chip", CoreCheckActivity(check));
    MemTestStatus status;
    while ((status = CoreCheckContinue(&check, &copies, 1 << 20)) == MemTestStatus::Working) {
    }
    EXPECT_EQ(MemTestStatus::PassDone, status);
}

}  // namespace
