// The graphics core test's scene through Direct3D 6 (see win32_platform.h).
#include "platform/win32/win32_platform.h"

#include <ddraw.h>
#include <d3d.h>

#include "platform/render_scene.h"

namespace {

const char kNeedsDirectX6[] = "needs DirectX 6 or later";

// The interfaces, defined here rather than taken from a GUID library.
const GUID kIidDirectDraw4 = {0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
const GUID kIidDirect3D3 = {0xBB223240, 0xE72B, 0x11D0, {0xA9, 0xB4, 0x00, 0xAA, 0x00, 0xC0, 0x99, 0x3E}};
const GUID kIidHalDevice = {0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const GUID kIidTexture2 = {0x93281502, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};

// A transformed, lit vertex with two sets of texture coordinates.
struct Vertex {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float u0, v0, u1, v1;
};
const DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2;

// Made once per Open: too large for the stack of a dialog.
SceneVertex gScene[kSceneVertices];
Vertex gVertices[kSceneVertices];

// Direct3D leaves the floating-point unit in single precision; the clock
// code that runs between frames needs it as it was.
class KeepFpuControl {
public:
    KeepFpuControl() { __asm__ volatile("fnstcw %0" : "=m"(control_)); }
    ~KeepFpuControl() { __asm__ volatile("fldcw %0" : : "m"(control_)); }

private:
    unsigned short control_;
};

void Say(char* why, uint32_t whySize, const char* text)
{
    if (why && whySize)
        lstrcpynA(why, text, static_cast<int>(whySize));
}

template <typename T>
void Release(T** object)
{
    if (*object)
        (*object)->Release();
    *object = nullptr;
}

DDSURFACEDESC2 Description(DWORD flags, DWORD caps, DWORD size)
{
    DDSURFACEDESC2 desc;
    ZeroMemory(&desc, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
    desc.dwWidth = size;
    desc.dwHeight = size;
    return desc;
}

// A Z buffer of 16 bits without stencil: what the TNT family renders with.
HRESULT CALLBACK PickDepthFormat(DDPIXELFORMAT* format, void* context)
{
    if ((format->dwFlags & DDPF_ZBUFFER) && format->dwZBufferBitDepth == 16 && !(format->dwFlags & DDPF_STENCILBUFFER)) {
        *static_cast<DDPIXELFORMAT*>(context) = *format;
        return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}

// A texture format with alpha at the display's depth if there is one (8888
// at 32 bits, 4444 at 16), else any RGB format with alpha.
struct TextureChoice {
    DWORD bits;
    DDPIXELFORMAT format;
    bool found;
};

HRESULT CALLBACK PickTextureFormat(DDPIXELFORMAT* format, void* context)
{
    TextureChoice* choice = static_cast<TextureChoice*>(context);
    const bool usable = (format->dwFlags & DDPF_RGB) && (format->dwFlags & DDPF_ALPHAPIXELS) &&
                        (format->dwRGBBitCount == 16 || format->dwRGBBitCount == 32);
    if (!usable)
        return D3DENUMRET_OK;
    const bool wanted = format->dwRGBBitCount == choice->bits &&
                        (choice->bits == 32 || format->dwRGBAlphaBitMask == 0xF000);
    if (!choice->found || wanted) {
        choice->format = *format;
        choice->found = true;
    }
    return wanted ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

// An 8-bit channel moved into the bits of `mask`.
DWORD PackChannel(DWORD value, DWORD mask)
{
    if (mask == 0)
        return 0;
    DWORD shift = 0, bits = 0;
    while (!(mask >> shift & 1))
        ++shift;
    while (shift + bits < 32 && (mask >> (shift + bits) & 1))
        ++bits;
    return bits >= 8 ? value << (shift + bits - 8) & mask : value >> (8 - bits) << shift;
}

DWORD PackTexel(DWORD argb, const DDPIXELFORMAT& format)
{
    return PackChannel(argb >> 24, format.dwRGBAlphaBitMask) | PackChannel(argb >> 16 & 0xFF, format.dwRBitMask) |
           PackChannel(argb >> 8 & 0xFF, format.dwGBitMask) | PackChannel(argb & 0xFF, format.dwBBitMask);
}

bool Lost(HRESULT result)
{
    return result == DDERR_SURFACELOST;
}

void MakeVertices()
{
    MakeScene(gScene);
    const float depthScale = 1.0f / kSceneDepthSteps, texelScale = 1.0f / kSceneTextureSize;
    for (uint32_t i = 0; i < kSceneVertices; ++i) {
        const SceneVertex& s = gScene[i];
        Vertex& v = gVertices[i];
        // Pixel centres, as the scene's integer positions mean them.
        v.x = static_cast<float>(s.x) + 0.5f;
        v.y = static_cast<float>(s.y) + 0.5f;
        v.z = static_cast<float>(s.z) * depthScale;
        v.rhw = 1.0f;
        v.diffuse = s.diffuse;
        v.specular = s.specular;
        v.u0 = static_cast<float>(s.u0) * texelScale;
        v.v0 = static_cast<float>(s.v0) * texelScale;
        v.u1 = static_cast<float>(s.u1) * texelScale;
        v.v1 = static_cast<float>(s.v1) * texelScale;
    }
}

struct StageState {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
};

// Both textures modulated with the vertex colour, filtered bilinearly; the
// alpha of the first texture and the vertex.
const StageState kStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE},   {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},   {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},   {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_TEXCOORDINDEX, 0},           {0, D3DTSS_MAGFILTER, D3DTFG_LINEAR},
    {0, D3DTSS_MINFILTER, D3DTFN_LINEAR},   {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},   {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
    {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}, {1, D3DTSS_ALPHAARG2, D3DTA_CURRENT},
    {1, D3DTSS_TEXCOORDINDEX, 1},           {1, D3DTSS_MAGFILTER, D3DTFG_LINEAR},
    {1, D3DTSS_MINFILTER, D3DTFN_LINEAR},   {2, D3DTSS_COLOROP, D3DTOP_DISABLE},
};

// The Z test, alpha blending, the specular colour and vertex fog (from the
// specular alpha), dithered as games draw at 16 bits.
const DWORD kRenderStates[][2] = {
    {D3DRENDERSTATE_ZENABLE, D3DZB_TRUE},
    {D3DRENDERSTATE_ZWRITEENABLE, TRUE},
    {D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
    {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRENDERSTATE_DITHERENABLE, TRUE},
    {D3DRENDERSTATE_ALPHABLENDENABLE, TRUE},
    {D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRENDERSTATE_SPECULARENABLE, TRUE},
    {D3DRENDERSTATE_FOGENABLE, TRUE},
    {D3DRENDERSTATE_FOGCOLOR, kSceneFogColour},
};

}  // namespace

uint32_t Win32Render::Open(char* why, uint32_t whySize)
{
    KeepFpuControl keep;
    Close();
    Say(why, whySize, "");
    if (!Build(why, whySize)) {
        Close();
        return 0;
    }
    return 1;
}

uint32_t Win32Render::Build(char* why, uint32_t whySize)
{
    IDirectDraw* draw = CreateDirectDraw(&library_);
    if (!draw || FAILED(draw->QueryInterface(kIidDirectDraw4, reinterpret_cast<void**>(&draw_))) ||
        FAILED(draw_->QueryInterface(kIidDirect3D3, reinterpret_cast<void**>(&direct3d_)))) {
        if (draw)
            draw->Release();
        Say(why, whySize, kNeedsDirectX6);
        return 0;
    }
    draw->Release();

    DDSURFACEDESC2 mode = Description(0, 0, 0);
    if (FAILED(draw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL)) || FAILED(draw_->GetDisplayMode(&mode)) ||
        !(mode.ddpfPixelFormat.dwFlags & DDPF_RGB) ||
        (mode.ddpfPixelFormat.dwRGBBitCount != 16 && mode.ddpfPixelFormat.dwRGBBitCount != 32)) {
        Say(why, whySize, "needs a 16- or 32-bit colour display");
        return 0;
    }
    const DDPIXELFORMAT& display = mode.ddpfPixelFormat;
    const DWORD rgb = display.dwRBitMask | display.dwGBitMask | display.dwBBitMask;
    pixelsPerWord_ = display.dwRGBBitCount == 16 ? 2 : 1;
    bitMask_ = pixelsPerWord_ == 2 ? (rgb & 0xFFFF) * 0x10001u : rgb;

    // The frame in the display's format, its Z buffer, the device on it.
    DDSURFACEDESC2 target = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT,
                                        DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY, kSceneWidth);
    DDSURFACEDESC2 depth = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                                       DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY, kSceneWidth);
    if (FAILED(draw_->CreateSurface(&target, &target_, nullptr)) ||
        FAILED(direct3d_->EnumZBufferFormats(kIidHalDevice, PickDepthFormat, &depth.ddpfPixelFormat)) ||
        depth.ddpfPixelFormat.dwSize == 0 || FAILED(draw_->CreateSurface(&depth, &depth_, nullptr)) ||
        FAILED(target_->AddAttachedSurface(depth_))) {
        Say(why, whySize, "no video memory for a 3D surface with a Z buffer");
        return 0;
    }
    if (FAILED(direct3d_->CreateDevice(kIidHalDevice, target_, &device_, nullptr))) {
        Say(why, whySize, "the display driver does not render 3D");
        return 0;
    }
    D3DVIEWPORT2 view;
    ZeroMemory(&view, sizeof view);
    view.dwSize = sizeof view;
    view.dwWidth = kSceneWidth;
    view.dwHeight = kSceneHeight;
    view.dvClipX = -1.0f;
    view.dvClipY = 1.0f;
    view.dvClipWidth = 2.0f;
    view.dvClipHeight = 2.0f;
    view.dvMaxZ = 1.0f;
    if (FAILED(direct3d_->CreateViewport(&viewport_, nullptr)) || FAILED(device_->AddViewport(viewport_)) ||
        FAILED(viewport_->SetViewport2(&view)) || FAILED(device_->SetCurrentViewport(viewport_))) {
        Say(why, whySize, "the display driver does not render 3D");
        return 0;
    }

    TextureChoice choice;
    ZeroMemory(&choice, sizeof choice);
    choice.bits = display.dwRGBBitCount;
    DDSURFACEDESC2 texture = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                                         DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY, kSceneTextureSize);
    if (FAILED(device_->EnumTextureFormats(PickTextureFormat, &choice)) || !choice.found) {
        Say(why, whySize, "the display driver has no texture format with alpha");
        return 0;
    }
    texture.ddpfPixelFormat = choice.format;
    for (int i = 0; i < 2; ++i) {
        if (FAILED(draw_->CreateSurface(&texture, &textureSurfaces_[i], nullptr)) ||
            FAILED(textureSurfaces_[i]->QueryInterface(kIidTexture2, reinterpret_cast<void**>(&textures_[i])))) {
            Say(why, whySize, "no video memory for the textures");
            return 0;
        }
    }
    if (!FillTextures()) {
        Say(why, whySize, "the textures could not be written");
        return 0;
    }
    bool set = true;
    for (const DWORD* state : kRenderStates)
        set = set && SUCCEEDED(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state[0]), state[1]));
    for (const StageState& state : kStageStates)
        set = set && SUCCEEDED(device_->SetTextureStageState(state.stage, state.type, state.value));
    for (DWORD i = 0; i < 2; ++i)
        set = set && SUCCEEDED(device_->SetTexture(i, textures_[i]));
    if (!set) {
        Say(why, whySize, "the display driver does not render 3D");
        return 0;
    }
    MakeVertices();
    return 1;
}

// The textures' texels, in their own format, written while locked.
bool Win32Render::FillTextures()
{
    for (uint32_t t = 0; t < 2; ++t) {
        DDSURFACEDESC2 desc = Description(0, 0, 0);
        if (FAILED(textureSurfaces_[t]->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_NOSYSLOCK | DDLOCK_WRITEONLY,
                                              nullptr)))
            return false;
        const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
        for (uint32_t y = 0; y < kSceneTextureSize; ++y) {
            uint8_t* row = static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch;
            for (uint32_t x = 0; x < kSceneTextureSize; ++x) {
                const DWORD texel = PackTexel(SceneTexel(t, x, y), format);
                if (format.dwRGBBitCount == 16)
                    reinterpret_cast<WORD*>(row)[x] = static_cast<WORD>(texel);
                else
                    reinterpret_cast<DWORD*>(row)[x] = texel;
            }
        }
        textureSurfaces_[t]->Unlock(nullptr);
    }
    return true;
}

void Win32Render::Close()
{
    KeepFpuControl keep;
    for (int i = 0; i < 2; ++i) {
        Release(&textures_[i]);
        Release(&textureSurfaces_[i]);
    }
    if (device_ && viewport_)
        device_->DeleteViewport(viewport_);
    Release(&viewport_);
    Release(&device_);
    Release(&depth_);
    Release(&target_);
    Release(&direct3d_);
    Release(&draw_);
    if (library_)
        FreeLibrary(library_);
    library_ = nullptr;
}

VideoBlocksResult Win32Render::Draw()
{
    if (!device_)
        return VideoBlocksResult::Failed;
    KeepFpuControl keep;
    D3DRECT all = {{0}, {0}, {static_cast<LONG>(kSceneWidth)}, {static_cast<LONG>(kSceneHeight)}};
    HRESULT result = viewport_->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kSceneClearColour, 1.0f, 0);
    if (SUCCEEDED(result) && SUCCEEDED(result = device_->BeginScene())) {
        result = device_->DrawPrimitive(D3DPT_TRIANGLELIST, kVertexFormat, gVertices, kSceneVertices, D3DDP_WAIT);
        const HRESULT ended = device_->EndScene();
        if (SUCCEEDED(result))
            result = ended;
    }
    if (Lost(result))
        return VideoBlocksResult::Lost;
    return SUCCEEDED(result) ? VideoBlocksResult::Ok : VideoBlocksResult::Failed;
}

VideoBlocksResult Win32Render::Lock(RenderFrameView* view)
{
    if (!target_)
        return VideoBlocksResult::Failed;
    KeepFpuControl keep;
    DDSURFACEDESC2 desc = Description(0, 0, 0);
    // Waits until the chip has finished the frame.
    const HRESULT locked =
        target_->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_NOSYSLOCK | DDLOCK_READONLY, nullptr);
    if (Lost(locked))
        return VideoBlocksResult::Lost;
    if (FAILED(locked))
        return VideoBlocksResult::Failed;
    const uint32_t rowWords = kSceneWidth / pixelsPerWord_;
    if (!desc.lpSurface || desc.lPitch % 4 != 0 || static_cast<uint32_t>(desc.lPitch) < rowWords * 4) {
        target_->Unlock(nullptr);
        return VideoBlocksResult::Failed;
    }
    view->base = static_cast<const volatile uint32_t*>(desc.lpSurface);
    view->rowWords = rowWords;
    view->rows = kSceneHeight;
    view->pitchWords = static_cast<uint32_t>(desc.lPitch) / 4;
    view->bitMask = bitMask_;
    view->pixelsPerWord = pixelsPerWord_;
    return VideoBlocksResult::Ok;
}

void Win32Render::Unlock()
{
    if (target_) {
        KeepFpuControl keep;
        target_->Unlock(nullptr);
    }
}

VideoBlocksResult Win32Render::Restore()
{
    if (!device_)
        return VideoBlocksResult::Failed;
    KeepFpuControl keep;
    // A surface that cannot come back (another display format now) ends the test.
    IDirectDrawSurface4* const surfaces[] = {target_, depth_, textureSurfaces_[0], textureSurfaces_[1]};
    for (IDirectDrawSurface4* surface : surfaces) {
        if (surface->IsLost() == DDERR_SURFACELOST && FAILED(surface->Restore()))
            return VideoBlocksResult::Failed;
    }
    // The textures' contents went with them.
    return FillTextures() ? VideoBlocksResult::Ok : VideoBlocksResult::Failed;
}
