#pragma once
// The graphics core test: the chip renders one fixed 3D scene (SceneRender)
// over and over, and every frame is compared with a reference made at the
// clock that ran before the job; a pixel that differs is an artifact. After
// each render pass the chip's copies (the engine's copy pattern) run once:
// a round is both. Where the render is unavailable (no DirectX 6, a display
// of 8 or 24 bits) the copies run alone.
//
// The reference is the first frame of the job, and the second must equal
// it: output that does not repeat at a safe clock cannot tell a fault from
// anything else, so the check stops there. Portable: the chip is reached only
// through the render and video memory seams, and the caller slices the work.
#include <stdint.h>

#include "clock_test/engine.h"
#include "platform/render.h"

// Frames per render pass: enough that one rare artifact per few frames shows
// in every round, few enough that the copies come round often.
const uint32_t kFramesPerRenderPass = 16;
// The largest frame the reference holds: 256 x 256 at 32 bits.
const uint32_t kCoreReferenceWords = 256 * 256;

// Pixels of `frame` that differ from `reference` (its rows laid end to end,
// rowWords each) in the bits the format carries; the bits that differed are
// ORed into *failingBits.
uint32_t CountArtifacts(const RenderFrameView& frame, const uint32_t* reference, uint32_t* failingBits);

struct CoreCheck {
    SceneRender* render;  // null when only the copies are tested
    char renderMissing[64];  // why there is no render ("needs DirectX 6 or later")
    uint32_t* reference;
    uint32_t referenceCapacity;  // words
    uint32_t referenceFrames;    // 0, 1 (the reference made), 2 (and found repeatable)
    uint32_t passFrames;         // frames of the render pass under way
    bool copying;                // the round's copy pass runs
    // This step's counts. The artifacts are also counted as errors of the
    // copies' MemTest, so that a step's errors are both.
    uint32_t frames;
    uint32_t artifacts;
    char why[64];  // why the check failed; empty when the copies failed
};

// Opens the render (before the video memory, which takes what is free) into
// `referenceStorage` of `words` words. Without it the check runs the copies
// alone and renderMissing says why.
void CoreCheckBegin(CoreCheck* check, SceneRender* render, uint32_t* referenceStorage, uint32_t words);
// A new step: its counts start at zero with a new round; the reference stays.
void CoreCheckStep(CoreCheck* check);
// One frame (made, compared, counted), or about `bytes` of the copy pass on
// `copies` (begun with the core clock's patterns). PassDone when a round
// ends. A lost surface is restored and its frame made again, never counted.
// Failed with `why` set when the reference does not repeat or the render
// fails; with `why` empty when the copies fail.
MemTestStatus CoreCheckContinue(CoreCheck* check, MemTest* copies, uint32_t bytes);
// Gives the render back; safe to call more than once, or when it was never
// opened. `render` stays set, so that the result can say what was tested.
void CoreCheckEnd(CoreCheck* check);
// What the check does now, for the status line ("rendering the 3D scene").
const char* CoreCheckActivity(const CoreCheck& check);
