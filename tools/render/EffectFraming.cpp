#include "EffectFraming.h"

#include <algorithm>
#include <cmath>

namespace gx {

void AddLiveParticles(EffectBounds &bounds, const SimState &sim)
{
    for (const Particle *p = sim.activeHead; p; p = p->next) {
        const float s = std::fabs(p->size);
        if (!(s > 0.0f) || !std::isfinite(s))
            continue;
        const Vec3 c = {p->origin.x + p->offset.x, p->origin.y + p->offset.y, p->origin.z + p->offset.z};
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z))
            continue;
        const Vec3 lo = {c.x - s, c.y - s, c.z - s}, hi = {c.x + s, c.y + s, c.z + s};
        if (bounds.empty) {
            bounds.lo = lo;
            bounds.hi = hi;
            bounds.empty = false;
            continue;
        }
        bounds.lo = {std::min(bounds.lo.x, lo.x), std::min(bounds.lo.y, lo.y), std::min(bounds.lo.z, lo.z)};
        bounds.hi = {std::max(bounds.hi.x, hi.x), std::max(bounds.hi.y, hi.y), std::max(bounds.hi.z, hi.z)};
    }
}

Vec3 ViewDirection(const Camera &camera)
{
    // Yaw turns about the up axis from +x; a positive pitch looks down.
    constexpr double kRadians = 3.14159265358979323846 / 180.0;
    const double yaw = camera.yaw * kRadians, pitch = camera.pitch * kRadians;
    return {static_cast<float>(std::cos(pitch) * std::cos(yaw)),
            static_cast<float>(std::cos(pitch) * std::sin(yaw)), static_cast<float>(-std::sin(pitch))};
}

void FrameBounds(Camera &camera, const EffectBounds &bounds, int width, int height)
{
    if (bounds.empty || width <= 0 || height <= 0)
        return;
    const double cx = (static_cast<double>(bounds.lo.x) + bounds.hi.x) / 2;
    const double cy = (static_cast<double>(bounds.lo.y) + bounds.hi.y) / 2;
    const double cz = (static_cast<double>(bounds.lo.z) + bounds.hi.z) / 2;
    const double dx = static_cast<double>(bounds.hi.x) - bounds.lo.x;
    const double dy = static_cast<double>(bounds.hi.y) - bounds.lo.y;
    const double dz = static_cast<double>(bounds.hi.z) - bounds.lo.z;
    const double radius = std::max(1.0, std::sqrt(dx * dx + dy * dy + dz * dz) / 2);
    // Half the view's narrower side: tan is 1 across the width, height/width up.
    const double tanHalf = std::min(1.0, static_cast<double>(height) / width);
    const double halfAngle = std::atan(tanHalf);
    const double distance = radius / std::sin(halfAngle) * 1.05;  // a little room at the edge
    const Vec3 f = ViewDirection(camera);
    camera.origin = {static_cast<float>(cx - f.x * distance), static_cast<float>(cy - f.y * distance),
                     static_cast<float>(cz - f.z * distance)};
}

}  // namespace gx
