#include "Camera.h"

namespace gx {

namespace {
constexpr float kKeySpeed = 400.0f;  // units or degrees per second of frame time

void MoveAlong(Vec3 &origin, const Vec3 &axis, float distance)
{
    origin.x += axis.x * distance;
    origin.y += axis.y * distance;
    origin.z += axis.z * distance;
}
}  // namespace

void ResetCamera(Camera &camera)
{
    camera = Camera{};
    camera.origin = {-100.0f, 0.0f, 60.0f};
    camera.pitch = 10.0f;
}

void ReadCameraAxes(Camera &camera, const float m[16])
{
    camera.right = {m[0], m[4], m[8]};
    camera.up = {m[1], m[5], m[9]};
    camera.forward = {-m[2], -m[6], -m[10]};
}

bool InputNeedsPointer(int32_t code)
{
    return code == 9 || code == 10 || code == 11;
}

void CameraInput(Camera &c, int32_t code, float t, const PointerState &pointer)
{
    const float step = t * kKeySpeed;
    switch (code) {
    case 1:
        MoveAlong(c.origin, c.forward, step);
        break;
    case 2:
        MoveAlong(c.origin, c.forward, -step);
        break;
    case 3:
        MoveAlong(c.origin, c.right, -step);
        break;
    case 4:
        MoveAlong(c.origin, c.right, step);
        break;
    case 5:
        c.pitch -= step;
        if (c.pitch < -90.0f)
            c.pitch = -90.0f;
        break;
    case 6:
        c.pitch += step;
        if (c.pitch > 90.0f)
            c.pitch = 90.0f;
        break;
    case 7:
        c.yaw += step;
        if (c.yaw > 360.0f)
            c.yaw -= 360.0f;
        break;
    case 8:
        c.yaw -= step;
        if (c.yaw < 0.0f)
            c.yaw += 360.0f;
        break;
    case 9:
        c.leftDrag = 1;
        c.dragX = pointer.x;
        c.dragY = pointer.y;
        c.savedY = c.origin.y;
        c.savedZ = c.origin.z;
        c.savedPitch = c.pitch;
        c.savedYaw = c.yaw;
        c.savedSpin = c.sceneSpin;
        break;
    case 10:
        c.rightDrag = 1;
        c.dragX = pointer.x;
        c.dragY = pointer.y;
        c.savedX = c.origin.x;
        break;
    case 11: {
        const float dx = static_cast<float>(pointer.x - c.dragX);
        const float dy = static_cast<float>(pointer.y - c.dragY);
        if (c.leftDrag) {
            if (pointer.shift) {
                c.origin.y = c.savedY + dx;
                c.origin.z = c.savedZ + dy;
            } else if (pointer.ctrl) {
                c.pitch = c.savedPitch + dy;
                c.yaw = c.savedYaw - dx;
            } else {
                c.sceneSpin = c.savedSpin - dx;
            }
        } else if (c.rightDrag) {
            c.origin.x = c.savedX - dy;
        }
        break;
    }
    case 12:
        c.leftDrag = 0;
        break;
    case 13:
        c.rightDrag = 0;
        break;
    default:
        break;
    }
}

}  // namespace gx
