// Renders the graphics core test's scene on the Direct3D Velkor.exe uses and
// prints what it found: whether it opened (or why not), the frame's layout,
// how many pixels of the second and third frames differ from the first, how
// many colours the frame has, the time per frame, and whether the
// floating-point control word came back as it was. With a file name it also
// writes the first frame there as a PPM picture.
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
    if (argc > 1)
        WritePicture(argv[1], frames[0], view);
    render.Close();
    return bad ? 1 : 0;
}
