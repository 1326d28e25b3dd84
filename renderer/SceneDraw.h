// What a frame draws with GL: camera transform, ground square, particles with
// their overlay chains, and the overlay text.
#pragma once

#include <cstdint>

#include "Camera.h"
#include "ParticleSim.h"

namespace gx {

// Members drawn in one overlay chain at most: a longer chain repeats a type.
inline constexpr int kMaxChainMembers = kMaxParticleTypes;

void SetProjection(int width, int height, double nearPlane);
void ApplyCameraTransform(Camera &camera);  // also reads the axes back
void DrawGround(const double colour[3]);
// Frames at or above a sprite's frame count are set back to 0 as they draw.
void DrawParticles(SimState &sim, const Camera &camera);
// Corners V1..V4 of a particle's square (centre, size, angle, camera axes).
void ParticleCorners(const Particle &p, const Camera &camera, Vec3 corners[4]);

struct OverlayText {
    const char *fpsText;
    const SimState *sim;  // null: no record attached, no particle texts
    const double *colour;
    bool shadow;
    bool fontLists;
    int width, height;
    double effectTime;  // seconds since the effect (re)started
    double speed;       // playback speed
};
void DrawOverlay(const OverlayText &overlay);

}  // namespace gx
