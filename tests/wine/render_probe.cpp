// Renders the graphics core test's scene on the Direct3D Velkor.exe uses and
// prints what it found: whether it opened (or why not), the frame's layout,
// how many pixels of the second and third frames differ from the first, how
// many colours the frame has, the time per frame, and whether the
// floating-point control word came back as it was. With a file name it also
// writes the first frame there as a PPM picture; with a number of seconds
// after it, it then runs one graphics core step of that length as the clock
// test would (rounds of frames and the chip's copies) and prints its time.
#include <stdlib.h>
#include <stdio.h>

#include <set>
#include <vector>

#include "clock_test/core_check.h"
#include "platform/win32/win32_platform.h"

namespace {

unsigned short FpuControl()
{
    unsigned short control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return control;
}

// One frame, its carried bits only, rows end to end.
bool Frame(Win32Render* render, std::vector<uint32_t>* words, RenderFrameView* view)
{
    if (render->Draw() != VideoBlocksResult::Ok || render->Lock(view) != VideoBlocksResult::Ok)
        return false;
    words->clear();
    for (uint32_t row = 0; row < view->rows; ++row) {
        for (uint32_t i = 0; i < view->rowWords; ++i)
            words->push_back(view->base[row * view->pitchWords + i] & view->bitMask);
    }
    render->Unlock();
    return true;
}

void WritePicture(const char* path, const std::vector<uint32_t>& words, const RenderFrameView& view)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return;
    const uint32_t width = view.rowWords * view.pixelsPerWord;
    fprintf(file, "P6\n%lu %lu\n255\n", static_cast<unsigned long>(width), static_cast<unsigned long>(view.rows));
    for (uint32_t p = 0; p < width * view.rows; ++p) {
        uint32_t pixel = words[p / view.pixelsPerWord];
        unsigned char rgb[3];
        if (view.pixelsPerWord == 2) {  // 565
            pixel = p % 2 ? pixel >> 16 : pixel & 0xFFFF;
            rgb[0] = static_cast<unsigned char>((pixel >> 11) << 3);
            rgb[1] = static_cast<unsigned char>((pixel >> 5 & 63) << 2);
            rgb[2] = static_cast<unsigned char>((pixel & 31) << 3);
        } else {
            rgb[0] = static_cast<unsigned char>(pixel >> 16);
            rgb[1] = static_cast<unsigned char>(pixel >> 8);
            rgb[2] = static_cast<unsigned char>(pixel);
        }
        fwrite(rgb, 1, 3, file);
    }
    fclose(file);
}

// One step of the core test on the Win32 render and video memory: at least
// the seconds and one whole round.
int RunStep(uint32_t seconds)
{
    static uint32_t reference[kCoreReferenceWords];
    Win32Render render;
    Win32VideoBlocks memory;
    CoreCheck check;
    CoreCheckBegin(&check, &render, reference, kCoreReferenceWords);
    char why[128];
    if (!check.render || memory.Open(why, sizeof(why)) == 0) {
        printf("step=unavailable\n");
        return 1;
    }
    MemTest copies;
    MemTestBegin(&copies, &memory, kCoreClockPatterns, kCoreClockPatternCount, GetTickCount());
    CoreCheckStep(&check);
    const DWORD start = GetTickCount();
    MemTestStatus status = MemTestStatus::Working;
    while (status != MemTestStatus::Failed &&
           (GetTickCount() - start < seconds * 1000 || copies.totals.passes == 0))
        status = CoreCheckContinue(&check, &copies, 64 * 1024);
    printf("step_ms=%lu|frames=%lu|artifacts=%lu|copy_passes=%lu|errors=%lu|%s\n",
           static_cast<unsigned long>(GetTickCount() - start), static_cast<unsigned long>(check.frames),
           static_cast<unsigned long>(check.artifacts), static_cast<unsigned long>(copies.totals.passes),
           static_cast<unsigned long>(copies.totals.errors.count), status == MemTestStatus::Failed ? check.why : "ok");
    CoreCheckEnd(&check);
    memory.Close();
    return status == MemTestStatus::Failed || copies.totals.errors.count != 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    // Double precision, as Velkor sets it before any clock code runs.
    unsigned short control = static_cast<unsigned short>((FpuControl() & ~0x0300u) | 0x0200u);
    __asm__ volatile("fldcw %0" : : "m"(control));

    Win32Render render;
    char why[128];
    const uint32_t opened = render.Open(why, sizeof(why));
    printf("open=%lu\nwhy=%s\n", static_cast<unsigned long>(opened), why);
    if (!opened)
        return 2;
    std::vector<uint32_t> frames[3];
    RenderFrameView view = {};
    int bad = 0;
    for (std::vector<uint32_t>& frame : frames) {
        if (!Frame(&render, &frame, &view)) {
            printf("frame=failed\n");
            return 1;
        }
    }
    printf("frame=%lu words x %lu rows, %lu pixels a word, mask %08lX\n", static_cast<unsigned long>(view.rowWords),
           static_cast<unsigned long>(view.rows), static_cast<unsigned long>(view.pixelsPerWord),
           static_cast<unsigned long>(view.bitMask));
    for (int i = 1; i < 3; ++i) {
        RenderFrameView again = view;
        again.base = frames[i].data();
        again.pitchWords = view.rowWords;
        uint32_t bits = 0;
        const uint32_t differing = CountArtifacts(again, frames[0].data(), &bits);
        printf("differing%d=%lu\n", i, static_cast<unsigned long>(differing));
        bad += differing != 0;
    }
    const std::set<uint32_t> colours(frames[0].begin(), frames[0].end());
    printf("colours=%lu\n", static_cast<unsigned long>(colours.size()));
    bad += colours.size() < 100;

    const int timed = 20;
    const DWORD start = GetTickCount();
    for (int i = 0; i < timed; ++i)
        bad += !Frame(&render, &frames[1], &view);
    const DWORD ms = GetTickCount() - start;
    printf("frame_ms=%lu\nfps=%lu\n", static_cast<unsigned long>(ms / timed),
           static_cast<unsigned long>(ms ? timed * 1000 / ms : 0));
    const bool kept = FpuControl() == control;
    printf("fpu=%s\n", kept ? "kept" : "changed");
    bad += !kept;
    if (argc > 1 && argv[1][0])
        WritePicture(argv[1], frames[0], view);
    render.Close();
    if (argc > 2)
        bad += RunStep(static_cast<uint32_t>(atoi(argv[2])));
    return bad ? 1 : 0;
}
