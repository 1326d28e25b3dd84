#include "Camera.h"

#include <algorithm>
#include <cmath>

namespace gx {

namespace {
constexpr float kKeySpeed = 400.0f;  // units or degrees per second of frame time
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr double kMinFrameRadius = 8.0;  // a lone point still gets a sensible view
constexpr double kMinFrameGap = 2.0;     // kept between the sphere and the camera

// Turns the point (a, b) by degrees, as a rotation about the axis that a and b
// are perpendicular to (a before b in the right-handed order).
void RotateXY(double &a, double &b, double degrees)
{
    const double r = degrees * kRadiansPerDegree;
    const double ca = std::cos(r), sa = std::sin(r);
    const double na = a * ca - b * sa;
    const double nb = a * sa + b * ca;
    a = na;
    b = nb;
}

// A rotation about y turns z towards x: the pair (z, x) in right-handed order.
void RotateZX(double &z, double &x, double degrees)
{
    RotateXY(z, x, degrees);
}

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

Vec3 CameraForward(const Camera &camera)
{
    const double pitch = camera.pitch * kRadiansPerDegree;
    const double yaw = camera.yaw * kRadiansPerDegree;
    return {static_cast<float>(std::cos(pitch) * std::cos(yaw)),
            static_cast<float>(std::cos(pitch) * std::sin(yaw)), static_cast<float>(-std::sin(pitch))};
}

bool ProjectPoint(const Camera &c, int width, int height, Vec3 point, float &ndcX, float &ndcY)
{
    // The drawing's rotations and translation, in the order they apply to a point.
    double x = point.x, y = point.y, z = point.z;
    RotateXY(x, y, -c.sceneSpin);
    x -= c.origin.x;
    y -= c.origin.y;
    z -= c.origin.z;
    RotateXY(x, y, -c.yaw);
    RotateZX(z, x, -c.pitch);
    RotateXY(y, z, -c.roll);
    // Now x is ahead, y to the left and z up.
    if (!(x > 0.0))
        return false;
    const double aspect = width > 0 && height > 0 ? static_cast<double>(height) / width : 1.0;
    ndcX = static_cast<float>(-y / x);
    ndcY = static_cast<float>(z / (x * aspect));
    return true;
}

bool FrameParticles(Camera &camera, const SimState &sim, int width, int height)
{
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    int32_t count = 0;
    auto centreOf = [](const Particle &p, double out[3]) {
        out[0] = static_cast<double>(p.origin.x) + p.offset.x;
        out[1] = static_cast<double>(p.origin.y) + p.offset.y;
        out[2] = static_cast<double>(p.origin.z) + p.offset.z;
        return std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]);
    };
    // The active list is walked with a bound, so a damaged list cannot loop.
    int32_t seen = 0;
    for (const Particle *p = sim.activeHead; p && seen < sim.capacity; p = p->next, ++seen) {
        double at[3];
        if (!centreOf(*p, at))
            continue;
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], at[i]);
            hi[i] = std::max(hi[i], at[i]);
        }
        ++count;
    }
    if (count == 0)
        return false;

    const double centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    // Radius of a sphere holding every particle's square (its corners lie
    // one size away from its centre).
    double radius = 0.0;
    seen = 0;
    for (const Particle *p = sim.activeHead; p && seen < sim.capacity; p = p->next, ++seen) {
        double at[3];
        if (!centreOf(*p, at))
            continue;
        const double size = std::isfinite(p->size) ? std::fabs(p->size) : 0.0;
        const double dx = at[0] - centre[0], dy = at[1] - centre[1], dz = at[2] - centre[2];
        radius = std::max(radius, std::sqrt(dx * dx + dy * dy + dz * dz) + size);
    }
    radius = std::max(radius, kMinFrameRadius);

    // At distance d the view shows d to either side across and d × aspect up
    // and down; the sphere takes two thirds of the smaller of the two.
    const double aspect = width > 0 && height > 0 ? static_cast<double>(height) / width : 1.0;
    double distance = radius / (kFrameFill * std::min(1.0, aspect));
    // A sphere that reaches the near plane would be cut.
    distance = std::max(distance, radius + kMinFrameGap);

    // The camera moves in the spun scene's coordinates: turn the centre into them.
    double cx = centre[0], cy = centre[1];
    RotateXY(cx, cy, -camera.sceneSpin);
    const Vec3 f = CameraForward(camera);
    camera.origin = {static_cast<float>(cx - distance * f.x), static_cast<float>(cy - distance * f.y),
                     static_cast<float>(centre[2] - distance * f.z)};
    return true;
}

void ReadCameraAxes(Camera &camera, const float m[16])
{
    camera.right = {m[0], m[4], m[8]};
    camera.up = {m[1], m[5], m[9]};
    camera.forward = {-m[2], -m[6], -m[10]};
}

bool InputNeedsPointer(int32_t code)
{
    return code == kInputLeftButtonDown || code == kInputRightButtonDown || code == kInputPointerMove;
}

void CameraInput(Camera &c, int32_t code, float t, const PointerState &pointer)
{
    const float step = t * kKeySpeed;
    switch (code) {
    case kInputMoveForward: MoveAlong(c.origin, c.forward, step); break;
    case kInputMoveBack: MoveAlong(c.origin, c.forward, -step); break;
    case kInputMoveLeft: MoveAlong(c.origin, c.right, -step); break;
    case kInputMoveRight: MoveAlong(c.origin, c.right, step); break;
    case kInputLookUp:
        c.pitch -= step;
        if (c.pitch < -90.0f)
            c.pitch = -90.0f;
        break;
    case kInputLookDown:
        c.pitch += step;
        if (c.pitch > 90.0f)
            c.pitch = 90.0f;
        break;
    case kInputTurnLeft:
        c.yaw += step;
        if (c.yaw > 360.0f)
            c.yaw -= 360.0f;
        break;
    case kInputTurnRight:
        c.yaw -= step;
        if (c.yaw < 0.0f)
            c.yaw += 360.0f;
        break;
    case kInputLeftButtonDown:
        c.leftDrag = 1;
        c.dragX = pointer.x;
        c.dragY = pointer.y;
        c.savedY = c.origin.y;
        c.savedZ = c.origin.z;
        c.savedPitch = c.pitch;
        c.savedYaw = c.yaw;
        c.savedSpin = c.sceneSpin;
        break;
    case kInputRightButtonDown:
        c.rightDrag = 1;
        c.dragX = pointer.x;
        c.dragY = pointer.y;
        c.savedX = c.origin.x;
        break;
    case kInputPointerMove: {
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
    case kInputLeftButtonUp: c.leftDrag = 0; break;
    case kInputRightButtonUp: c.rightDrag = 0; break;
    default: break;
    }
}

}  // namespace gx
