// The committed pictures in res/ (logo and mask, icon, cursor) and the compiled
// dialog templates and version block of res/velkor.rc.
//
// The pictures are read as the files the resource compiler takes. The templates
// are checked in their compiled form, because that is what the dialog manager
// gets: the resource compiler adds styles of its own, stores classes as atoms or
// names, and may drop rectangles. They are compiled with the MinGW resource
// compiler (VELKOR_WINDRES names another one); without it those tests skip.

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "../../res/resource.h"

namespace fs = std::filesystem;

namespace {

fs::path ResFolder()
{
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "res";
}

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian fields; at() turns a truncated file into a test failure.
uint32_t U8(const Bytes& b, size_t o) { return b.at(o); }
uint32_t U16(const Bytes& b, size_t o) { return b.at(o) | (b.at(o + 1) << 8); }
uint32_t U32(const Bytes& b, size_t o) { return U16(b, o) | (U16(b, o + 2) << 16); }
int32_t I32(const Bytes& b, size_t o) { return static_cast<int32_t>(U32(b, o)); }
int16_t I16(const Bytes& b, size_t o) { return static_cast<int16_t>(U16(b, o)); }

// ---------------------------------------------------------------------------
// Device-independent bitmaps: the logo files and the images inside icons.

struct DibHeader {
    uint32_t size, planes, bits, compression, imageSize, colours;
    int32_t width, height;
};

DibHeader ReadDibHeader(const Bytes& b, size_t o)
{
    DibHeader h;
    h.size = U32(b, o);
    h.width = I32(b, o + 4);
    h.height = I32(b, o + 8);
    h.planes = U16(b, o + 12);
    h.bits = U16(b, o + 14);
    h.compression = U32(b, o + 16);
    h.imageSize = U32(b, o + 20);
    h.colours = U32(b, o + 32);
    return h;
}

size_t Stride(int32_t width, uint32_t bits) { return ((width * bits + 31) / 32) * 4; }

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A 24-bit bottom-up BI_RGB file; pixels()[y][x] with y = 0 at the top.
struct Bitmap24 {
    DibHeader header;
    std::vector<std::vector<Rgb>> pixels;
};

Bitmap24 LoadBitmap24(const std::string& name)
{
    const Bytes b = ReadAll(ResFolder() / name);
    Bitmap24 bmp{};
    if (b.size() < 54) {
        ADD_FAILURE() << name << " is too short";
        return bmp;
    }
    EXPECT_EQ('B', b[0]);
    EXPECT_EQ('M', b[1]);
    EXPECT_EQ(b.size(), U32(b, 2)) << name << ": file size field";
    const uint32_t bitsAt = U32(b, 10);
    bmp.header = ReadDibHeader(b, 14);
    const DibHeader& h = bmp.header;
    EXPECT_EQ(40u, h.size) << name << ": BITMAPINFOHEADER";
    EXPECT_EQ(54u, bitsAt) << name << ": no palette, bits right after the header";
    if (h.width <= 0 || h.height <= 0 || h.bits != 24) {
        ADD_FAILURE() << name << ": not a bottom-up 24-bit bitmap";
        return bmp;
    }
    const size_t stride = Stride(h.width, 24);
    EXPECT_EQ(stride * h.height, h.imageSize) << name;
    EXPECT_EQ(bitsAt + stride * h.height, b.size()) << name;
    bmp.pixels.assign(h.height, std::vector<Rgb>(h.width));
    for (int32_t y = 0; y < h.height; ++y) {
        const size_t row = bitsAt + (h.height - 1 - y) * stride;
        for (int32_t x = 0; x < h.width; ++x) {
            const size_t p = row + 3 * x;
            bmp.pixels[y][x] = Rgb{b.at(p + 2), b.at(p + 1), b.at(p)};
        }
    }
    return bmp;
}

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};

TEST(LogoBitmaps, BothAre247By41BottomUpUncompressed24Bit)
{
    for (const char* name : {"logo.bmp", "logo_mask.bmp"}) {
        SCOPED_TRACE(name);
        const Bitmap24 bmp = LoadBitmap24(name);
        EXPECT_EQ(247, bmp.header.width);
        EXPECT_EQ(41, bmp.header.height);  // positive: bottom-up
        EXPECT_EQ(1u, bmp.header.planes);
        EXPECT_EQ(24u, bmp.header.bits);
        EXPECT_EQ(0u, bmp.header.compression);  // BI_RGB
        EXPECT_EQ(0u, bmp.header.colours);
    }
}

// The window draws the mask with OR and the image with AND: the background
// survives exactly where the image is pure white, so the mask must be black
// there and white everywhere else, pixel for pixel.
TEST(LogoBitmaps, MaskIsBlackExactlyWhereTheImageIsPureWhite)
{
    const Bitmap24 image = LoadBitmap24("logo.bmp");
    const Bitmap24 mask = LoadBitmap24("logo_mask.bmp");
    ASSERT_EQ(41u, image.pixels.size());
    ASSERT_EQ(41u, mask.pixels.size());
    int wrong = 0, logoPixels = 0;
    for (int y = 0; y < 41; ++y) {
        for (int x = 0; x < 247; ++x) {
            const bool background = image.pixels[y][x] == kWhite;
            const Rgb expected = background ? kBlack : kWhite;
            logoPixels += background ? 0 : 1;
            if (!(mask.pixels[y][x] == expected) && ++wrong <= 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": image "
                              << int(image.pixels[y][x].r) << "/" << int(image.pixels[y][x].g) << "/"
                              << int(image.pixels[y][x].b) << ", mask " << int(mask.pixels[y][x].r) << "/"
                              << int(mask.pixels[y][x].g) << "/" << int(mask.pixels[y][x].b);
            }
        }
    }
    EXPECT_EQ(0, wrong) << "pixels breaking the mask rule";
    // A real drawing, neither empty nor a filled box.
    EXPECT_GT(logoPixels, 247 * 41 / 5);
    EXPECT_LT(logoPixels, 247 * 41 * 4 / 5);
}

// ---------------------------------------------------------------------------
// Icon and cursor files.

struct IconImage {
    int width = 0, height = 0, bits = 0;
    uint32_t hotX = 0, hotY = 0;  // cursor entries only
    std::vector<Rgb> palette;
    std::vector<std::vector<int>> colour;  // palette index per pixel, y = 0 at the top
    std::vector<std::vector<int>> andMask; // 1 = transparent
};

std::vector<IconImage> LoadIconFile(const std::string& name, uint32_t kind)
{
    const Bytes b = ReadAll(ResFolder() / name);
    std::vector<IconImage> images;
    if (b.size() < 6) {
        ADD_FAILURE() << name << " is too short";
        return images;
    }
    EXPECT_EQ(0u, U16(b, 0)) << name;
    EXPECT_EQ(kind, U16(b, 2)) << name << ": 1 icon, 2 cursor";
    const uint32_t count = U16(b, 4);
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(testing::Message() << name << " image " << i);
        const size_t e = 6 + 16 * i;
        IconImage img;
        img.width = U8(b, e) ? U8(b, e) : 256;
        img.height = U8(b, e + 1) ? U8(b, e + 1) : 256;
        const uint32_t bytes = U32(b, e + 8), offset = U32(b, e + 12);
        EXPECT_LE(size_t(offset) + bytes, b.size());
        const DibHeader h = ReadDibHeader(b, offset);
        EXPECT_EQ(40u, h.size);
        EXPECT_EQ(img.width, h.width);
        EXPECT_EQ(img.height * 2, h.height) << "colour and AND mask stacked";
        EXPECT_EQ(1u, h.planes);
        EXPECT_EQ(0u, h.compression);
        img.bits = h.bits;
        if (kind == 1) {
            EXPECT_EQ(1u, U16(b, e + 4)) << "planes";
            EXPECT_EQ(uint32_t(img.bits), U16(b, e + 6)) << "bit count in the directory";
            EXPECT_EQ(img.bits == 4 ? 16u : 0u, U8(b, e + 2)) << "colour count in the directory";
        } else {
            img.hotX = U16(b, e + 4);
            img.hotY = U16(b, e + 6);
        }
        if (img.bits != 1 && img.bits != 4 && img.bits != 8) {
            ADD_FAILURE() << "only palette images show on every display of the Windows 98 line, got "
                          << img.bits << " bits";
            continue;
        }
        const size_t colours = h.colours ? h.colours : (1u << img.bits);
        const size_t paletteAt = offset + 40;
        for (size_t c = 0; c < colours; ++c) {
            img.palette.push_back(Rgb{b.at(paletteAt + 4 * c + 2), b.at(paletteAt + 4 * c + 1), b.at(paletteAt + 4 * c)});
        }
        const size_t xorAt = paletteAt + 4 * colours;
        const size_t xorStride = Stride(img.width, img.bits), andStride = Stride(img.width, 1);
        const size_t andAt = xorAt + xorStride * img.height;
        EXPECT_EQ(40 + 4 * colours + (xorStride + andStride) * img.height, bytes) << "image size";
        img.colour.assign(img.height, std::vector<int>(img.width));
        img.andMask.assign(img.height, std::vector<int>(img.width));
        for (int y = 0; y < img.height; ++y) {
            const size_t row = img.height - 1 - y;
            for (int x = 0; x < img.width; ++x) {
                const size_t bit = size_t(x) * img.bits;
                const uint32_t byte = U8(b, xorAt + row * xorStride + bit / 8);
                img.colour[y][x] = (byte >> (8 - img.bits - bit % 8)) & ((1u << img.bits) - 1);
                img.andMask[y][x] = (U8(b, andAt + row * andStride + x / 8) >> (7 - x % 8)) & 1;
            }
        }
        images.push_back(img);
    }
    return images;
}

TEST(ProgramIcon, HasA16And32PixelImageAtPaletteDepths)
{
    const std::vector<IconImage> images = LoadIconFile("velkor.ico", 1);
    bool has16 = false, has32 = false;
    for (const IconImage& img : images) {
        EXPECT_EQ(img.width, img.height);
        EXPECT_TRUE(img.bits == 4 || img.bits == 8) << img.bits;
        has16 |= img.width == 16;
        has32 |= img.width == 32;
    }
    EXPECT_TRUE(has16);
    EXPECT_TRUE(has32);
}

// Transparent pixels must be black in the colour part: the screen is ANDed
// with the mask and XORed with the colour, so any other colour would show.
TEST(ProgramIcon, TransparentPixelsAreBlackAndEveryImageIsARealDrawing)
{
    for (const IconImage& img : LoadIconFile("velkor.ico", 1)) {
        SCOPED_TRACE(testing::Message() << img.width << " x " << img.height << " at " << img.bits << " bits");
        int opaque = 0, wrong = 0;
        for (int y = 0; y < img.height; ++y) {
            for (int x = 0; x < img.width; ++x) {
                if (!img.andMask[y][x]) {
                    ++opaque;
                } else if (!(img.palette.at(img.colour[y][x]) == kBlack)) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(0, wrong) << "transparent pixels with a colour";
        EXPECT_GT(opaque, img.width * img.height / 2);
        EXPECT_LT(opaque, img.width * img.height);
    }
}

TEST(HandCursor, Monochrome32By32WithTheHotSpotAtTheFingerTip)
{
    const std::vector<IconImage> images = LoadIconFile("hand.cur", 2);
    ASSERT_EQ(1u, images.size());
    const IconImage& img = images[0];
    EXPECT_EQ(32, img.width);
    EXPECT_EQ(32, img.height);
    ASSERT_EQ(1, img.bits);
    ASSERT_EQ(2u, img.palette.size());
    EXPECT_TRUE(img.palette[0] == kBlack);
    EXPECT_TRUE(img.palette[1] == kWhite);
    ASSERT_LT(img.hotX, 32u);
    ASSERT_LT(img.hotY, 32u);
    EXPECT_EQ(0, img.andMask[img.hotY][img.hotX]) << "the hot spot lies on the hand";
    int topRow = -1, drawn = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!img.andMask[y][x]) {
                ++drawn;
                if (topRow < 0) topRow = y;
            } else {
                EXPECT_EQ(0, img.colour[y][x]) << "transparent pixel " << x << "," << y << " would invert the screen";
            }
        }
    }
    EXPECT_EQ(int(img.hotY), topRow) << "the finger tip is the hand's highest point";
    EXPECT_GT(drawn, 150);
}

// ---------------------------------------------------------------------------
// The compiled resource script.

struct ResId {
    bool isName = false;
    uint32_t number = 0;
    std::string name;
};

std::string Narrow(const Bytes& b, size_t& o)
{
    std::string s;
    for (uint32_t c; (c = U16(b, o)) != 0; o += 2) {
        s += c < 0x80 ? char(c) : '?';
    }
    o += 2;
    return s;
}

ResId ReadResId(const Bytes& b, size_t& o)
{
    ResId id;
    if (U16(b, o) == 0xFFFF) {
        id.number = U16(b, o + 2);
        o += 4;
    } else {
        id.isName = true;
        id.name = Narrow(b, o);
    }
    return id;
}

size_t Align4(size_t o) { return (o + 3) & ~size_t(3); }

struct Resource {
    uint32_t type, name, language;
    Bytes data;
};

class CompiledScript : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* tool = getenv("VELKOR_WINDRES");
        const std::string windres = tool && *tool ? tool : "i686-w64-mingw32-windres";
        const fs::path out = fs::temp_directory_path() / ("velkor-res-test-" + std::to_string(getpid()) + ".res");
        const std::string cmd = windres + " -O res \"" + (ResFolder() / "velkor.rc").string() + "\" \"" +
                                out.string() + "\" 2>&1";
        if (system((windres + " --version >/dev/null 2>&1").c_str()) != 0) {
            missing_ = windres + " is not available (Debian package binutils-mingw-w64-i686)";
            return;
        }
        compileStatus_ = system(cmd.c_str());
        if (compileStatus_ == 0) {
            const Bytes b = ReadAll(out);
            for (size_t o = 0; o + 32 <= b.size();) {
                const uint32_t dataSize = U32(b, o), headerSize = U32(b, o + 4);
                size_t p = o + 8;
                const ResId type = ReadResId(b, p);
                const ResId name = ReadResId(b, p);
                p = Align4(p);
                if (dataSize && !type.isName && !name.isName) {
                    const auto from = b.begin() + o + headerSize;
                    resources_.push_back(Resource{type.number, name.number, U16(b, p + 6), Bytes(from, from + dataSize)});
                }
                o = Align4(o + headerSize + dataSize);
            }
        }
        fs::remove(out);
    }

    void SetUp() override
    {
        if (!missing_.empty()) FAIL() << missing_;
        ASSERT_EQ(0, compileStatus_) << "res/velkor.rc does not compile";
    }

    static const Resource* Find(uint32_t type, uint32_t name)
    {
        for (const Resource& r : resources_) {
            if (r.type == type && r.name == name) return &r;
        }
        return nullptr;
    }

private:
    static inline std::string missing_;
    static inline int compileStatus_ = -1;
    static inline std::vector<Resource> resources_;
};

// Window and control styles, as the dialog manager reads them.
constexpr uint32_t kPopup = 0x80000000, kChild = 0x40000000, kVisible = 0x10000000, kCaption = 0x00C00000,
                   kBorder = 0x00800000, kSysMenu = 0x00080000, kGroup = 0x00020000, kTabStop = 0x00010000;
constexpr uint32_t kSetFont = 0x40, kModalFrame = 0x80, kCentre = 0x800;
constexpr uint32_t kPushButton = 0, kDefPushButton = 1, kAutoCheckBox = 3;
constexpr uint32_t kLeft = 0, kCentred = 1, kRight = 2, kIcon = 3, kBitmap = 0xE;
constexpr uint32_t kAutoHScroll = 0x80, kArrowKeys = 0x20, kStaticEdge = 0x20000;
constexpr uint32_t kButtonAtom = 0x80, kEditAtom = 0x81, kStaticAtom = 0x82;
constexpr uint32_t kNone = 0xFFFF;  // controls no code addresses

struct Control {
    uint32_t id;
    uint32_t classAtom;     // 0: classByName
    const char* className;
    const char* text;       // nullptr: picture named by textNumber
    uint32_t textNumber;
    int x, y, cx, cy;
    uint32_t style, exStyle;
};

Control DefButton(uint32_t id, const char* text, int x, int y, int cx, int cy)
{
    return {id, kButtonAtom, "", text, 0, x, y, cx, cy, kChild | kVisible | kTabStop | kDefPushButton, 0};
}
Control Button(uint32_t id, const char* text, int x, int y, int cx, int cy)
{
    return {id, kButtonAtom, "", text, 0, x, y, cx, cy, kChild | kVisible | kTabStop | kPushButton, 0};
}
Control CheckBox(uint32_t id, const char* text, int x, int y, int cx, int cy)
{
    return {id, kButtonAtom, "", text, 0, x, y, cx, cy, kChild | kVisible | kTabStop | kAutoCheckBox, 0};
}
// Static texts carry no SS_NOTIFY: the link in particular must let the mouse
// through to the main window, which tracks the pointer over it.
Control Text(uint32_t id, uint32_t align, const char* text, int x, int y, int cx, int cy)
{
    return {id, kStaticAtom, "", text, 0, x, y, cx, cy, kChild | kVisible | kGroup | align, 0};
}
Control Picture(uint32_t id, uint32_t kind, uint32_t resource, int x, int y, int cx, int cy)
{
    return {id, kStaticAtom, "", nullptr, resource, x, y, cx, cy, kChild | kVisible | kind, 0};
}
Control Trackbar(uint32_t id, int x, int y, int cx, int cy)
{
    return {id, 0, "msctls_trackbar32", "", 0, x, y, cx, cy, kChild | kVisible | kTabStop, 0};
}
Control UpDown(uint32_t id, int x, int y, int cx, int cy)
{
    return {id, 0, "msctls_updown32", "", 0, x, y, cx, cy, kChild | kVisible | kArrowKeys, 0};
}
Control Edit(uint32_t id, int x, int y, int cx, int cy)
{
    return {id, kEditAtom, "", "", 0, x, y, cx, cy, kChild | kVisible | kBorder | kTabStop | kAutoHScroll, kStaticEdge};
}

struct Dialog {
    uint32_t id;
    bool extended;
    uint32_t style;
    int cx, cy;
    const char* caption;
    std::vector<Control> controls;  // in tab order
};

const uint32_t kMainStyle = kPopup | kCaption | kSysMenu | kCentre | kSetFont;               // not visible
const uint32_t kModalStyle = kPopup | kCaption | kSysMenu | kModalFrame | kCentre | kSetFont;
const uint32_t kNoteStyle = kPopup | kCaption | kVisible | kCentre | kSetFont;               // no system menu

const std::vector<Dialog>& ExpectedDialogs()
{
    static const std::vector<Dialog> dialogs = {
        {101, false, kMainStyle, 220, 143, "ZuvoVuzozuzo for NVIDIA", {
            DefButton(1102, "&Close", 163, 123, 50, 14),
            Picture(1103, kBitmap, 204, 44, 3, 92, 80),
            Text(1110, kCentred, VELKOR_WEB_ADDRESS, 68, 28, 82, 8),
            Text(1104, kCentred, "Graphics Core Clock at XXX MHz", 31, 44, 157, 8),
            Text(1111, kRight, "XXX", 3, 58, 16, 10),
            Text(1113, kLeft, "XXX", 196, 58, 16, 10),
            Trackbar(1105, 22, 55, 172, 16),
            Text(1107, kCentred, "Memory Clock at XXX Mhz", 30, 77, 159, 8),
            Text(1112, kRight, "XXX", 3, 91, 16, 10),
            Text(1114, kLeft, "XXX", 196, 91, 16, 10),
            Trackbar(1108, 22, 88, 172, 16),
            CheckBox(1115, "Reset to &Defaults on Reboot", 59, 108, 119, 8),
            Button(1106, "&Reset to Defaults", 7, 123, 70, 14),
            Button(1101, "&Apply", 106, 123, 50, 14),
        }},
        {102, false, kNoteStyle, 150, 73, "About ZuvoVuzozuzo", {
            Picture(kNone, kIcon, 201, 4, 14, 20, 20),
            Text(kNone, kLeft, "Velkor", 30, 4, 119, 8),
            Text(kNone, kLeft, "Version 1.11.00.0022", 30, 16, 108, 8),
            Text(kNone, kLeft, VELKOR_LEGAL_LINE1, 30, 29, 118, 8),
            Text(kNone, kLeft, VELKOR_LEGAL_LINE2, 29, 38, 118, 8),
            DefButton(1100, "&OK", 50, 54, 50, 14),
        }},
        {103, false, kNoteStyle, 150, 63, "Apply ZuvoVuzozuzo", {
            DefButton(1102, "&No", 80, 43, 50, 14),
            Button(1100, "&Yes", 20, 43, 50, 14),
            Picture(kNone, kIcon, 201, 4, 14, 20, 20),
            Text(kNone, kLeft, "ZuvoVuzozuzo has been applied.", 28, 12, 119, 8),
            Text(kNone, kLeft, "Do you wish to keep these Values?", 28, 24, 119, 8),
        }},
        {104, true, kModalStyle, 220, 143, "ZuvoVuzozuzo Limits", {
            DefButton(1102, "&Close", 163, 123, 50, 14),
            Text(kNone, kLeft, "By changing these values, you run an INCREASED risk of damaging your board.  "
                               "Be adivised that this damage may not manifest itself for several days.", 6, 7, 208, 25),
            Text(kNone, kLeft, "If you decide to overclock, we suggest that you only do so for a limited time.  "
                               "If you leave your board in an overclocked state, you are limiting its lifespan in "
                               "UNPREDICTABLE WAYS and we do not encourage you to do this.", 6, 31, 208, 37),
            Text(kNone, kLeft, "Graphics Minimum", 7, 78, 62, 10),
            UpDown(1116, 101, 76, 12, 12),
            Edit(1111, 75, 76, 26, 12),
            Text(kNone, kCentred, "and Maximum", 117, 78, 48, 10),
            UpDown(1117, 197, 76, 12, 12),
            Edit(1113, 171, 76, 26, 12),
            Text(kNone, kLeft, "Memory Minimum", 7, 96, 62, 10),
            UpDown(1119, 101, 94, 12, 12),
            Edit(1112, 75, 94, 26, 12),
            Text(kNone, kCentred, "and Maximum", 117, 96, 48, 10),
            UpDown(1118, 197, 94, 12, 12),
            Edit(1114, 171, 94, 26, 12),
            Button(1106, "&Reset to Defaults", 7, 123, 70, 14),
            Button(1101, "&Apply", 106, 123, 50, 14),
        }},
        {105, false, kModalStyle, 220, 122, "ZuvoVuzozuzo Confirmation", {
            DefButton(1100, "&OK", 52, 102, 50, 14),
            Button(1102, "&Cancel", 112, 102, 50, 14),
            Picture(kNone, kIcon, 201, 11, 17, 20, 20),
            Text(kNone, kLeft, "The following values will be applied to the NVIDIA graphics card.", 43, 6, 167, 19),
            Text(1120, kLeft, "XXX MHz", 43, 28, 108, 8),
            Text(1121, kLeft, "XXX MHz", 43, 39, 108, 8),
            Text(kNone, kLeft, "Changing the operating speeds of the graphics card may cause the screen to go blank "
                               "or the system to Hang.", 7, 51, 207, 18),
            Text(kNone, kLeft, "If Windows does not reappear correctly, wait 15 seconds, and your original settings "
                               "will be restored.  If restorization does not occur, the graphics card has failed and "
                               "you will need to reboot.", 7, 67, 208, 32),
        }},
    };
    return dialogs;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

void CheckDialog(const Dialog& want, const Bytes& b)
{
    size_t o;
    uint32_t style, exStyle, count;
    int x, y, cx, cy;
    const bool extended = U16(b, 0) == 1 && U16(b, 2) == 0xFFFF;
    ASSERT_EQ(want.extended, extended) << "extended template";
    if (extended) {
        exStyle = U32(b, 8);
        style = U32(b, 12);
        count = U16(b, 16);
        x = I16(b, 18), y = I16(b, 20), cx = I16(b, 22), cy = I16(b, 24);
        o = 26;
    } else {
        style = U32(b, 0);
        exStyle = U32(b, 4);
        count = U16(b, 8);
        x = I16(b, 10), y = I16(b, 12), cx = I16(b, 14), cy = I16(b, 16);
        o = 18;
    }
    EXPECT_EQ(want.style, style) << std::hex << "dialog style";
    EXPECT_EQ(0u, exStyle);
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);
    EXPECT_EQ(want.cx, cx);
    EXPECT_EQ(want.cy, cy);
    const ResId menu = ReadResId(b, o);
    const ResId windowClass = ReadResId(b, o);
    EXPECT_TRUE(menu.isName && menu.name.empty()) << "no menu";
    EXPECT_TRUE(windowClass.isName && windowClass.name.empty()) << "the standard dialog class";
    EXPECT_EQ(want.caption, Narrow(b, o));
    ASSERT_TRUE(style & kSetFont);
    EXPECT_EQ(9u, U16(b, o)) << "points";
    if (extended) {
        EXPECT_EQ(0u, U16(b, o + 2)) << "weight";
        EXPECT_EQ(0u, U8(b, o + 4)) << "italic";
        o += 6;
    } else {
        o += 2;
    }
    EXPECT_EQ("MS Sans Serif", Narrow(b, o));

    ASSERT_EQ(want.controls.size(), count) << "controls";
    for (const Control& c : want.controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id << " " << (c.text ? c.text : "(picture)"));
        o = Align4(o);
        uint32_t cStyle, cEx, id;
        if (extended) {
            cEx = U32(b, o + 4);
            cStyle = U32(b, o + 8);
            x = I16(b, o + 12), y = I16(b, o + 14), cx = I16(b, o + 16), cy = I16(b, o + 18);
            id = U32(b, o + 20) & 0xFFFF;
            o += 24;
        } else {
            cStyle = U32(b, o);
            cEx = U32(b, o + 4);
            x = I16(b, o + 8), y = I16(b, o + 10), cx = I16(b, o + 12), cy = I16(b, o + 14);
            id = U16(b, o + 16);
            o += 18;
        }
        EXPECT_EQ(c.id, id);
        EXPECT_EQ(c.x, x);
        EXPECT_EQ(c.y, y);
        EXPECT_EQ(c.cx, cx);
        EXPECT_EQ(c.cy, cy);
        EXPECT_EQ(c.style, cStyle) << std::hex << "style";
        EXPECT_EQ(c.exStyle, cEx) << std::hex << "extended style";
        const ResId cls = ReadResId(b, o);
        if (c.classAtom) {
            EXPECT_FALSE(cls.isName) << "class " << cls.name;
            EXPECT_EQ(c.classAtom, cls.number);
        } else {
            EXPECT_TRUE(cls.isName);
            EXPECT_EQ(c.className, Lower(cls.name)) << "class names are matched without regard to case";
        }
        const ResId text = ReadResId(b, o);
        if (c.text) {
            EXPECT_TRUE(text.isName);
            EXPECT_EQ(c.text, text.name);
        } else {
            EXPECT_FALSE(text.isName) << "the picture is named by number";
            EXPECT_EQ(c.textNumber, text.number);
        }
        const uint32_t extra = U16(b, o);
        EXPECT_EQ(0u, extra) << "creation data";
        o += 2 + extra;
    }
}

TEST_F(CompiledScript, DialogTemplatesMatchTheirTables)
{
    for (const Dialog& want : ExpectedDialogs()) {
        SCOPED_TRACE(testing::Message() << "dialog " << want.id);
        const Resource* r = Find(5, want.id);  // RT_DIALOG
        ASSERT_NE(nullptr, r);
        EXPECT_EQ(0x409u, r->language);
        CheckDialog(want, r->data);
    }
}

TEST_F(CompiledScript, PicturesAreStoredUnderTheirNumbers)
{
    EXPECT_NE(nullptr, Find(14, IDI_VELKOR));       // RT_GROUP_ICON
    EXPECT_NE(nullptr, Find(12, IDC_HAND_CURSOR));  // RT_GROUP_CURSOR
    for (uint32_t id : {IDB_LOGO, IDB_LOGO_MASK}) {
        const Resource* r = Find(2, id);            // RT_BITMAP: the file without its 14-byte file header
        ASSERT_NE(nullptr, r) << id;
        const DibHeader h = ReadDibHeader(r->data, 0);
        EXPECT_EQ(247, h.width);
        EXPECT_EQ(41, h.height);
        EXPECT_EQ(24u, h.bits);
    }
    const Resource* group = Find(14, IDI_VELKOR);
    ASSERT_NE(nullptr, group);
    std::vector<uint32_t> sizes;
    for (uint32_t i = 0; i < U16(group->data, 4); ++i) sizes.push_back(U8(group->data, 6 + 14 * i));
    EXPECT_NE(sizes.end(), std::find(sizes.begin(), sizes.end(), 16u));
    EXPECT_NE(sizes.end(), std::find(sizes.begin(), sizes.end(), 32u));
}

// Walks a version block: each node is length, value length, type, key, then
// its value and its children, each 32-bit aligned.
void WalkVersionNode(const Bytes& b, size_t at, const std::string& path, std::map<std::string, std::string>& strings,
                     size_t& fixedAt)
{
    const size_t length = U16(b, at), valueLength = U16(b, at + 2), type = U16(b, at + 4);
    size_t o = at + 6;
    const std::string key = Narrow(b, o);
    o = Align4(o);
    const std::string here = path.empty() ? key : path + "/" + key;
    if (valueLength) {
        if (type == 1) {
            size_t s = o;
            strings[here] = Narrow(b, s);
            o = Align4(o + 2 * valueLength);
        } else {
            if (here == "VS_VERSION_INFO") fixedAt = o;
            strings[here] = std::to_string(U16(b, o)) + "," + std::to_string(U16(b, o + 2));
            o = Align4(o + valueLength);
        }
    }
    while (o < at + length) {
        const size_t child = U16(b, o);
        if (child == 0) break;
        WalkVersionNode(b, o, here, strings, fixedAt);
        o = Align4(o + child);
    }
}

TEST_F(CompiledScript, VersionBlockNamesVersion1_11_0_22)
{
    const Resource* r = Find(16, 1);  // RT_VERSION
    ASSERT_NE(nullptr, r);
    std::map<std::string, std::string> strings;
    size_t fixed = 0;
    WalkVersionNode(r->data, 0, "", strings, fixed);
    ASSERT_NE(0u, fixed);
    EXPECT_EQ(0xFEEF04BDu, U32(r->data, fixed));
    EXPECT_EQ(0x0001000Bu, U32(r->data, fixed + 8)) << "file version 1.11";
    EXPECT_EQ(0x00000016u, U32(r->data, fixed + 12)) << "file version .0.22";
    EXPECT_EQ(0x0001000Bu, U32(r->data, fixed + 16)) << "product version 1.11";
    EXPECT_EQ(0x00000016u, U32(r->data, fixed + 20)) << "product version .0.22";
    EXPECT_EQ(4u, U32(r->data, fixed + 32)) << "VOS__WINDOWS32";
    EXPECT_EQ(1u, U32(r->data, fixed + 36)) << "VFT_APP";

    const std::string table = "VS_VERSION_INFO/StringFileInfo/040904E4/";
    const std::map<std::string, std::string> want = {
        {"CompanyName", "Ostrane"},
        {"FileVersion", "1.11.0.22"},
        {"ProductName", "Velkor"},
        {"ProductVersion", "1.11.0.22"},
        {"InternalName", "Velkor"},
        {"OriginalFilename", "Velkor.exe"},
        {"LegalCopyright", std::string(VELKOR_LEGAL_LINE1) + " " + VELKOR_LEGAL_LINE2},
    };
    for (const auto& [key, value] : want) {
        EXPECT_EQ(value, strings[table + key]) << key;
    }
    EXPECT_FALSE(strings[table + "FileDescription"].empty());
    EXPECT_EQ("1033,1252", strings["VS_VERSION_INFO/VarFileInfo/Translation"]) << "US English, Windows Latin 1";
}

}  // namespace
