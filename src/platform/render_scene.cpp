#include "platform/render_scene.h"

namespace {

// xorshift32: small, and the same numbers everywhere.
struct SceneRandom {
    uint32_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // From `low` to `high`, both included.
    uint32_t Between(uint32_t low, uint32_t high) { return low + Next() % (high - low + 1); }
};

const uint32_t kLargeTriangles = 8;  // the two of the background among them
const uint32_t kLast = kSceneWidth - 1;

SceneVertex Vertex(uint32_t x, uint32_t y, uint32_t z, SceneRandom* random, uint32_t alpha)
{
    SceneVertex v;
    v.x = static_cast<uint16_t>(x);
    v.y = static_cast<uint16_t>(y);
    v.z = static_cast<uint16_t>(z);
    // Texture coordinates that follow the position (so a triangle shows a
    // piece of texture, not one stretched texel), at two scales.
    v.u0 = static_cast<uint16_t>(x / 2);
    v.v0 = static_cast<uint16_t>(y / 2);
    v.u1 = static_cast<uint16_t>(x / 3 + random->Between(0, 7));
    v.v1 = static_cast<uint16_t>(y / 3 + random->Between(0, 7));
    v.diffuse = alpha << 24 | (random->Next() & 0x00FFFFFF) | 0x00404040;
    v.specular = random->Between(128, 255) << 24 | (random->Next() & 0x003F3F3F);
    return v;
}

}  // namespace

void MakeScene(SceneVertex out[kSceneVertices])
{
    SceneRandom random = {0x2545F491u};
    const uint32_t far = kSceneDepthSteps - 1;
    // The background: two opaque triangles at the back.
    out[0] = Vertex(0, 0, far, &random, 255);
    out[1] = Vertex(kLast, 0, far, &random, 255);
    out[2] = Vertex(0, kLast, far, &random, 255);
    out[3] = Vertex(kLast, 0, far, &random, 255);
    out[4] = Vertex(kLast, kLast, far, &random, 255);
    out[5] = Vertex(0, kLast, far, &random, 255);
    // Large ones across the frame, tilted in depth, half transparent.
    for (uint32_t t = 2; t < kLargeTriangles; ++t) {
        SceneVertex* v = out + t * 3;
        const uint32_t alpha = random.Between(96, 224);
        v[0] = Vertex(random.Between(0, 60), random.Between(0, kLast), random.Between(500, 3500), &random, alpha);
        v[1] = Vertex(random.Between(195, kLast), random.Between(0, 60), random.Between(500, 3500), &random, alpha);
        v[2] = Vertex(random.Between(100, kLast), random.Between(195, kLast), random.Between(500, 3500), &random,
                      alpha);
    }
    // Many small ones everywhere, 2 to 16 pixels across.
    for (uint32_t t = kLargeTriangles; t < kSceneTriangles; ++t) {
        SceneVertex* v = out + t * 3;
        const uint32_t x = random.Between(16, kLast - 16), y = random.Between(16, kLast - 16);
        const uint32_t size = random.Between(2, 16);
        const uint32_t z = random.Between(0, far - 64);
        const uint32_t alpha = random.Between(64, 255);
        v[0] = Vertex(x, y, z, &random, alpha);
        v[1] = Vertex(x + random.Between(1, size), y + random.Between(0, size / 2), z + random.Between(0, 63), &random,
                      alpha);
        v[2] = Vertex(x - random.Between(0, size / 2), y + random.Between(1, size), z + random.Between(0, 63),
                      &random, alpha);
    }
}

uint32_t SceneTexel(uint32_t texture, uint32_t x, uint32_t y)
{
    if (texture == 0) {
        // Bricks: a coloured checkerboard of 8 x 8 texels with dark joints,
        // alpha falling across it.
        const uint32_t light = ((x >> 3) ^ (y >> 3)) & 1;
        const uint32_t joint = (x & 7) == 0 || (y & 7) == 0;
        const uint32_t r = joint ? 40 : light ? 220 : 140 + x;
        const uint32_t g = joint ? 40 : light ? 120 + y : 90;
        const uint32_t b = joint ? 40 : 60 + (x ^ y);
        const uint32_t a = 255 - x * 2;
        return a << 24 | r << 16 | g << 8 | b;
    }
    // A light map: rings around the middle, smooth enough for the filter to matter.
    const uint32_t dx = x > 32 ? x - 32 : 32 - x, dy = y > 32 ? y - 32 : 32 - y;
    const uint32_t ring = ((dx * dx + dy * dy) >> 2) & 0xFF;
    const uint32_t level = ring < 128 ? 128 + ring : 383 - ring;
    return 0xFF000000u | level << 16 | level << 8 | (level * 3 / 4);
}
