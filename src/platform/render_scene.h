#pragma once
// The one scene the graphics core test renders, made the same way on every
// machine from integers alone (no C runtime, no floating point): what games
// make the chip do, in a few hundred triangles. Two large triangles cover
// the frame (the background), a few large ones cross it half transparent,
// the rest are small, scattered at every depth. Every triangle is drawn
// with two textures modulated together (filtered bilinearly), the vertex
// colour, a specular colour added, vertex fog, alpha blending and the Z test.
#include <stdint.h>

const uint32_t kSceneWidth = 256;
const uint32_t kSceneHeight = 256;
const uint32_t kSceneTextureSize = 64;  // both textures, square
const uint32_t kSceneTriangles = 320;
const uint32_t kSceneVertices = kSceneTriangles * 3;
const uint32_t kSceneDepthSteps = 4096;   // z from 0 (nearest) to 4095
const uint32_t kSceneClearColour = 0x00203040;
const uint32_t kSceneFogColour = 0x00708090;

struct SceneVertex {
    uint16_t x, y;            // the pixel, inside the frame
    uint16_t z;               // below kSceneDepthSteps
    uint16_t u0, v0, u1, v1;  // in texels; beyond the texture's size it repeats
    uint32_t diffuse;         // ARGB; alpha is the triangle's opacity
    uint32_t specular;        // RGB added after texturing; alpha is the fog: 255 none, 0 all fog
};

// The scene in drawing order, three vertices per triangle.
void MakeScene(SceneVertex out[kSceneVertices]);

// The ARGB texel at (x, y) of texture 0 or 1, both below kSceneTextureSize.
uint32_t SceneTexel(uint32_t texture, uint32_t x, uint32_t y);
