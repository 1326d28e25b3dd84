// Placing the camera so that a whole effect is in view: the box every live
// particle covered during the render, seen from the camera's own direction.
#pragma once

#include "Camera.h"
#include "ParticleSim.h"

namespace gx {

struct EffectBounds {
    bool empty = true;
    Vec3 lo{}, hi{};
};

// Adds every live particle with a size: its centre grown by its size.
void AddLiveParticles(EffectBounds &bounds, const SimState &sim);

// The camera's viewing direction for its yaw and pitch (roll does not move it).
Vec3 ViewDirection(const Camera &camera);

// Moves the camera back along its viewing direction until the sphere around
// the box fits the narrower side of a view of width x height (the renderer's
// frustum: 45 degrees either side across the width). Unchanged when empty.
void FrameBounds(Camera &camera, const EffectBounds &bounds, int width, int height);

}  // namespace gx
