// Turning the active particles into draw calls, free of GL: the walk over the
// overlay chains tells a sink when a texture or a render list must change and
// hands it each quad. Consecutive members with the same texture and list need
// no state call between them, so the sink can send them together.
#pragma once

#include <cstdint>

#include "Camera.h"
#include "ParticleSim.h"

namespace gx {

// Members drawn in one overlay chain at most: a longer chain repeats a type.
inline constexpr int kMaxChainMembers = kMaxParticleTypes;

// Corners V1..V4 of a particle's square (centre, size, angle, camera axes).
void ParticleCorners(const Particle &p, const Camera &camera, Vec3 corners[4]);

// Quads collected for one vertex-array draw: four corners each, in the order
// V4, V3, V2, V1 with texture coordinates (0,1) (1,1) (1,0) (0,0), one colour
// per corner. A fixed block: nothing is allocated per particle or per frame.
// 512 quads are 72 KiB of vertex data a draw: the driver's copy of a draw
// stays below the C library's threshold for mapping fresh pages each time.
struct QuadBatch {
    static constexpr int kMaxQuads = 512;
    int quads;
    float positions[kMaxQuads * 4 * 3];
    float colours[kMaxQuads * 4 * 4];
    float texCoords[kMaxQuads * 4 * 2];  // the same for every quad
};

void InitQuadBatch(QuadBatch &batch);  // empty, texture coordinates filled
inline bool BatchFull(const QuadBatch &batch)
{
    return batch.quads >= QuadBatch::kMaxQuads;
}
// The batch must not be full.
inline void AppendQuad(QuadBatch &batch, const Vec3 v[4], const float rgba[4])
{
    float *pos = batch.positions + batch.quads * 12;
    float *col = batch.colours + batch.quads * 16;
    for (int corner = 0; corner < 4; ++corner) {
        const Vec3 &c = v[3 - corner];
        pos[corner * 3 + 0] = c.x;
        pos[corner * 3 + 1] = c.y;
        pos[corner * 3 + 2] = c.z;
        for (int k = 0; k < 4; ++k)
            col[corner * 4 + k] = rgba[k];
    }
    ++batch.quads;
}

// The texture to bind for a member's frame and age (0: none); it may set a
// frame at or beyond the sprite's frame count back to 0.
using SpriteTextureFn = uint32_t (*)(const SpriteModel &sprite, float &frame, float age);

// Walks the active list in order and each particle's overlay chain:
//   sink.BindTexture(texture)  only when a member's texture differs from the
//                              last one bound (a member without one keeps it);
//   sink.UseRenderList(list)   only when it differs from the last one used
//                              (a type whose modes were never read is additive);
//   sink.Quad(corners, rgba)   for every drawn member.
// The lists set state without undoing each other's, so skipping a repeat of
// the list in force leaves the state exactly as calling it again would.
template <typename Sink>
void WalkParticles(SimState &sim, const Camera &camera, SpriteTextureFn spriteTexture, Sink &sink)
{
    uint32_t boundTexture = 0;  // none bound by this walk yet
    int32_t listInForce = 0;
    for (Particle *p = sim.activeHead; p; p = p->next) {
        if (p->size == 0.0f)
            continue;
        Vec3 v[4];
        ParticleCorners(*p, camera, v);
        int members = 0;
        for (Particle *q = p; q && members < kMaxChainMembers; q = OverlayChild(*q), ++members) {
            const TypeLink *link = q->typeLink;
            if (!link || !link->drawable)
                continue;
            if (link->sprite && spriteTexture) {
                const uint32_t texture = spriteTexture(*link->sprite, q->frame, q->age);
                if (texture != 0 && texture != boundTexture) {
                    sink.BindTexture(texture);
                    boundTexture = texture;
                }
            }
            const int32_t list = link->renderList != 0 ? link->renderList : kListAdditive;
            if (list != listInForce) {
                sink.UseRenderList(list);
                listInForce = list;
            }
            const float rgba[4] = {q->colour[0], q->colour[1], q->colour[2], q->alpha};
            sink.Quad(v, rgba);
        }
    }
}

}  // namespace gx
