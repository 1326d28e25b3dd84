#include "ParticleBatch.h"

namespace gx {

void ParticleCorners(const Particle &p, const Camera &camera, Vec3 v[4])
{
    const float s = p.size;
    const int d = WholeDegrees(p.angle);
    const float a = s * CosDeg(d);
    const float b = s * CosDeg90(d);
    const Vec3 c = {p.origin.x + p.offset.x, p.origin.y + p.offset.y, p.origin.z + p.offset.z};
    const Vec3 &r = camera.right;
    const Vec3 &u = camera.up;
    v[0] = {c.x + b * u.x - a * r.x, c.y + b * u.y - a * r.y, c.z + b * u.z - a * r.z};
    v[1] = {c.x + a * u.x + b * r.x, c.y + a * u.y + b * r.y, c.z + a * u.z + b * r.z};
    v[2] = {c.x - b * u.x + a * r.x, c.y - b * u.y + a * r.y, c.z - b * u.z + a * r.z};
    v[3] = {c.x - a * u.x - b * r.x, c.y - a * u.y - b * r.y, c.z - a * u.z - b * r.z};
}

void InitQuadBatch(QuadBatch &batch)
{
    static const float kCorner[8] = {0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    batch.quads = 0;
    for (int q = 0; q < QuadBatch::kMaxQuads; ++q)
        for (int k = 0; k < 8; ++k)
            batch.texCoords[q * 8 + k] = kCorner[k];
}

}  // namespace gx
