// The free camera of the viewport and what the host's input codes do to it.
// Plain logic: the axes come from the drawn frame, the pointer from the caller.
#pragma once

#include <cstdint>

#include "ParticleSim.h"
#include "RendererApi.h"  // ViewportInput

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

// Direction of view in the scene's coordinates before the scene spin:
// x ahead at yaw 0, pitch positive looking down.
Vec3 CameraForward(const Camera &camera);

// Where a world point lands on the screen, as the drawing's transform and
// frustum (x from -1 to 1 at distance 1, y scaled by height / width) put it:
// normalised device coordinates, -1..1 across the view. False for a point
// behind the camera.
bool ProjectPoint(const Camera &camera, int width, int height, Vec3 point, float &ndcX, float &ndcY);

// Share of the view's smaller extent that a framed effect fills.
inline constexpr float kFrameFill = 2.0f / 3.0f;

// Moves the camera along its own direction of view so that the live
// particles of sim (their squares included) fill about two thirds of a
// width × height view, centred. Angles and drags stay. False, camera
// unchanged, when no live particle has a finite position.
bool FrameParticles(Camera &camera, const SimState &sim, int width, int height);

// Axes of a column-major model-view matrix.
void ReadCameraAxes(Camera &camera, const float matrix[16]);

// True for the codes that read the pointer (button downs and moves).
bool InputNeedsPointer(int32_t code);

// Applies one ViewportInput code (RendererApi.h); frameTime is the latest frame's time in seconds.
void CameraInput(Camera &camera, int32_t code, float frameTime, const PointerState &pointer);

}  // namespace gx
