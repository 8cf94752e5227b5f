#include "clock_test/core_check.h"

namespace {

void CopyText(char* to, uint32_t size, const char* from)
{
    uint32_t i = 0;
    for (; i + 1 < size && from[i]; ++i)
        to[i] = from[i];
    to[i] = '\0';
}

MemTestStatus Fail(CoreCheck* check, const char* why)
{
    CopyText(check->why, sizeof check->why, why);
    return MemTestStatus::Failed;
}

void CountAsErrors(MemTestErrors* errors, uint32_t artifacts, uint32_t bits)
{
    errors->count = errors->count > 0xFFFFFFFFu - artifacts ? 0xFFFFFFFFu : errors->count + artifacts;
    errors->failingBits |= bits;
}

// The frame the render made, while locked: the reference (the first two
// frames of the job) or one more frame to count.
MemTestStatus UseFrame(CoreCheck* check, const RenderFrameView& frame, MemTestErrors* errors)
{
    uint32_t bits = 0;
    if (check->referenceFrames == 0) {
        for (uint32_t row = 0; row < frame.rows; ++row) {
            for (uint32_t i = 0; i < frame.rowWords; ++i)
                check->reference[row * frame.rowWords + i] = frame.base[row * frame.pitchWords + i] & frame.bitMask;
        }
        check->referenceFrames = 1;
        return MemTestStatus::Working;
    }
    const uint32_t artifacts = CountArtifacts(frame, check->reference, &bits);
    if (check->referenceFrames == 1) {
        if (artifacts)
            return Fail(check, "3D output is not repeatable at the present clock");
        check->referenceFrames = 2;
        return MemTestStatus::Working;
    }
    ++check->frames;
    check->artifacts += artifacts;
    CountAsErrors(errors, artifacts, bits);
    if (++check->passFrames == kFramesPerRenderPass)
        check->copying = true;
    return MemTestStatus::Working;
}

}  // namespace

uint32_t CountArtifacts(const RenderFrameView& frame, const uint32_t* reference, uint32_t* failingBits)
{
    uint32_t artifacts = 0;
    for (uint32_t row = 0; row < frame.rows; ++row) {
        const volatile uint32_t* words = frame.base + row * frame.pitchWords;
        const uint32_t* expected = reference + row * frame.rowWords;
        for (uint32_t i = 0; i < frame.rowWords; ++i) {
            const uint32_t bad = (words[i] ^ expected[i]) & frame.bitMask;
            if (bad == 0)
                continue;
            *failingBits |= bad;
            artifacts += frame.pixelsPerWord == 2 ? ((bad & 0xFFFF) != 0) + ((bad >> 16) != 0) : 1;
        }
    }
    return artifacts;
}

void CoreCheckBegin(CoreCheck* check, SceneRender* render, uint32_t* referenceStorage, uint32_t words)
{
    *check = CoreCheck();
    check->reference = referenceStorage;
    check->referenceCapacity = words;
    if (!render) {
        CopyText(check->renderMissing, sizeof check->renderMissing, "needs DirectX 6 or later");
        return;
    }
    if (render->Open(check->renderMissing, sizeof check->renderMissing) == 0) {
        render->Close();
        return;
    }
    check->render = render;
}

void CoreCheckStep(CoreCheck* check)
{
    check->frames = 0;
    check->artifacts = 0;
    check->passFrames = 0;
    check->copying = false;
}

MemTestStatus CoreCheckContinue(CoreCheck* check, MemTest* copies, uint32_t bytes)
{
    if (!check->render || check->copying) {
        const MemTestStatus status = MemTestContinue(copies, bytes);
        if (status == MemTestStatus::PassDone && check->render) {
            check->copying = false;
            check->passFrames = 0;
        }
        return status;
    }
    SceneRender* render = check->render;
    VideoBlocksResult result = render->Draw();
    RenderFrameView frame;
    if (result == VideoBlocksResult::Ok)
        result = render->Lock(&frame);
    if (result == VideoBlocksResult::Lost) {
        // A display mode change took the surfaces: the frame is made again.
        return render->Restore() == VideoBlocksResult::Ok ? MemTestStatus::Working
                                                          : Fail(check, "the 3D surfaces could not be used any more");
    }
    if (result != VideoBlocksResult::Ok)
        return Fail(check, "the 3D surfaces could not be used any more");
    if (frame.rowWords == 0 || frame.rowWords > frame.pitchWords ||
        frame.rowWords * frame.rows > check->referenceCapacity) {
        render->Unlock();
        return Fail(check, "the 3D frame does not fit the reference");
    }
    const MemTestStatus status = UseFrame(check, frame, &copies->totals.errors);
    render->Unlock();
    return status;
}

void CoreCheckEnd(CoreCheck* check)
{
    if (check->render)
        check->render->Close();
}

const char* CoreCheckActivity(const CoreCheck& check)
{
    if (!check.render || check.copying)
        return MemTestPatternName(MemTestPattern::ChipCopy);
    return check.referenceFrames < 2 ? "the reference frame" : "rendering the 3D scene";
}
