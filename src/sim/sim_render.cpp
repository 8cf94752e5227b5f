#include "sim/sim_render.h"

namespace {

const uint32_t kPixels = kSceneWidth * kSceneHeight;

uint32_t Channel(uint32_t argb, uint32_t shift)
{
    return argb >> shift & 0xFF;
}

// The value at a pixel of three vertex values weighted by the pixel's edge
// distances (which add up to twice the triangle's area).
uint32_t Blend3(uint32_t a, uint32_t b, uint32_t c, const uint32_t w[3], uint32_t area)
{
    return (a * w[0] + b * w[1] + c * w[2]) / area;
}

// One edge's distance from a pixel, and how it changes one pixel to the right.
struct Edge {
    int32_t at, stepX, stepY;
    Edge(const SceneVertex& a, const SceneVertex& b, int32_t x, int32_t y)
        : at((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x)), stepX(a.y - b.y), stepY(b.x - a.x)
    {
    }
};

}  // namespace

void SimRender::SetLimits(const SimVideoBlocksLimits& limits)
{
    gfxOkMHz_ = limits.gfxOkMHz;
    random_.Seed(limits.seed, 0xD1B54A32D192ED03ull);
    owed_ = 0;
}

double SimRender::ArtifactsPerFrame(double excessMHz)
{
    if (!(excessMHz > 0))
        return 0;
    const double rate = 2 * excessMHz * excessMHz * excessMHz;
    return rate < kPixels ? rate : kPixels;
}

uint32_t SimRender::Open(char* why, uint32_t whySize)
{
    Close();
    if (!available_) {
        SimSayWhy(why, whySize, "needs DirectX 6 or later");
        return 0;
    }
    MakeScene(scene_);
    for (uint32_t t = 0; t < 2; ++t) {
        for (uint32_t i = 0; i < kSceneTextureSize * kSceneTextureSize; ++i)
            textures_[t][i] = SceneTexel(t, i % kSceneTextureSize, i / kSceneTextureSize);
    }
    pllWords_.Take(*chip_);
    lost_ = false;
    open_ = true;
    SimSayWhy(why, whySize, "");
    return 1;
}

bool SimRender::Lost()
{
    const bool geforce = family_ == SimChipFamily::GeForce256;
    if (geforce && pllWords_.Changed(*chip_))
        lost_ = true;
    return lost_;
}

VideoBlocksResult SimRender::Draw()
{
    if (!open_ || machine_->Stopped())
        return VideoBlocksResult::Failed;
    if (Lost())
        return VideoBlocksResult::Lost;
    for (uint32_t i = 0; i < kPixels; ++i) {
        frame_[i] = kSceneClearColour;
        depth_[i] = 0xFFFF;
    }
    for (uint32_t t = 0; t < kSceneTriangles; ++t)
        Rasterise(scene_ + t * 3);
    owed_ += ArtifactsPerFrame(machine_->GraphicsMHz() - gfxOkMHz_);
    for (; owed_ >= 1; owed_ -= 1) {
        const uint32_t pixel = random_.Next() % kPixels;
        frame_[pixel] ^= 1u << (random_.Next() % 24);
    }
    return VideoBlocksResult::Ok;
}

VideoBlocksResult SimRender::Lock(RenderFrameView* view)
{
    if (!open_ || machine_->Stopped())
        return VideoBlocksResult::Failed;
    if (Lost())
        return VideoBlocksResult::Lost;
    view->base = frame_;
    view->rowWords = kSceneWidth;
    view->rows = kSceneHeight;
    view->pitchWords = kSceneWidth;
    view->bitMask = kBitMask;
    view->pixelsPerWord = 1;
    return VideoBlocksResult::Ok;
}

VideoBlocksResult SimRender::Restore()
{
    if (!open_ || machine_->Stopped())
        return VideoBlocksResult::Failed;
    pllWords_.Take(*chip_);
    lost_ = false;
    return VideoBlocksResult::Ok;
}

// Every pixel whose centre lies inside the triangle or on its edges, nearer
// than or as near as what is there: both textures (repeating, the nearest
// texel) modulated with the vertex colour, the specular colour added, the
// fog mixed in and the result blended by its alpha.
void SimRender::Rasterise(const SceneVertex* triangle)
{
    SceneVertex v[3] = {triangle[0], triangle[1], triangle[2]};
    int32_t area = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[1].y - v[0].y) * (v[2].x - v[0].x);
    if (area == 0)
        return;
    if (area < 0) {
        const SceneVertex swap = v[1];
        v[1] = v[2];
        v[2] = swap;
        area = -area;
    }
    int32_t left = v[0].x, right = v[0].x, top = v[0].y, bottom = v[0].y;
    for (const SceneVertex& p : v) {
        left = p.x < left ? p.x : left;
        right = p.x > right ? p.x : right;
        top = p.y < top ? p.y : top;
        bottom = p.y > bottom ? p.y : bottom;
    }
    const uint32_t fog = Channel(v[0].specular, 24), specularColour = v[0].specular;
    const uint32_t a = static_cast<uint32_t>(area);
    Edge rows[3] = {Edge(v[1], v[2], left, top), Edge(v[2], v[0], left, top), Edge(v[0], v[1], left, top)};
    for (int32_t y = top; y <= bottom; ++y) {
        int32_t e[3] = {rows[0].at, rows[1].at, rows[2].at};
        for (int32_t x = left; x <= right; ++x) {
            if ((e[0] | e[1] | e[2]) >= 0) {
                const uint32_t w[3] = {static_cast<uint32_t>(e[0]), static_cast<uint32_t>(e[1]),
                                       static_cast<uint32_t>(e[2])};
                const uint32_t at = static_cast<uint32_t>(y) * kSceneWidth + static_cast<uint32_t>(x);
                const uint32_t z = Blend3(v[0].z, v[1].z, v[2].z, w, a);
                if (z <= depth_[at]) {
                    const uint32_t mask = kSceneTextureSize - 1;
                    const uint32_t t0 = textures_[0][(Blend3(v[0].v0, v[1].v0, v[2].v0, w, a) & mask) * kSceneTextureSize +
                                                     (Blend3(v[0].u0, v[1].u0, v[2].u0, w, a) & mask)];
                    const uint32_t t1 = textures_[1][(Blend3(v[0].v1, v[1].v1, v[2].v1, w, a) & mask) * kSceneTextureSize +
                                                     (Blend3(v[0].u1, v[1].u1, v[2].u1, w, a) & mask)];
                    const uint32_t alpha =
                        Channel(t0, 24) *
                        Blend3(Channel(v[0].diffuse, 24), Channel(v[1].diffuse, 24), Channel(v[2].diffuse, 24), w, a) /
                        255;
                    uint32_t pixel = 0;
                    for (uint32_t shift = 0; shift < 24; shift += 8) {
                        const uint32_t d = Blend3(Channel(v[0].diffuse, shift), Channel(v[1].diffuse, shift),
                                                  Channel(v[2].diffuse, shift), w, a);
                        uint32_t c =
                            Channel(t0, shift) * Channel(t1, shift) / 255 * d / 255 + Channel(specularColour, shift);
                        c = c > 255 ? 255 : c;
                        c = (c * fog + Channel(kSceneFogColour, shift) * (255 - fog)) / 255;
                        c = (c * alpha + Channel(frame_[at], shift) * (255 - alpha)) / 255;
                        pixel |= c << shift;
                    }
                    frame_[at] = pixel;
                    depth_[at] = static_cast<uint16_t>(z);
                }
            }
            for (int i = 0; i < 3; ++i)
                e[i] += rows[i].stepX;
        }
        for (Edge& edge : rows)
            edge.at += edge.stepY;
    }
}
