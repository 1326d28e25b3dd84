// The free camera of the viewport and what the host's input codes do to it.
// Plain logic: the axes come from the drawn frame, the pointer from the caller.
#pragma once

#include <cstdint>

#include "ParticleSim.h"

namespace gx {

struct PointerState {
    int x, y;  // screen pixels
    bool shift;
    bool ctrl;
};

struct Camera {
    Vec3 origin;
    float pitch, yaw, roll;
    float sceneSpin;

    int32_t leftDrag, rightDrag;
    int dragX, dragY;
    float savedY, savedZ, savedPitch, savedYaw, savedSpin;
    float savedX;

    // Read back from the model-view matrix each frame.
    Vec3 right, up, forward;
};

void ResetCamera(Camera &camera);

// Axes of a column-major model-view matrix.
void ReadCameraAxes(Camera &camera, const float matrix[16]);

// True for the codes that read the pointer (button downs and moves).
bool InputNeedsPointer(int32_t code);

// Applies one input code; frameTime is the latest frame's time in seconds.
void CameraInput(Camera &camera, int32_t code, float frameTime, const PointerState &pointer);

}  // namespace gx
