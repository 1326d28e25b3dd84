// The camera's answer to the viewport input codes, without GL.
#include <gtest/gtest.h>

#include <cstring>

#include "Camera.h"

using namespace gx;

namespace {
Camera LookingAlongX()
{
    Camera c;
    ResetCamera(c);
    c.right = {0.0f, -1.0f, 0.0f};
    c.up = {0.0f, 0.0f, 1.0f};
    c.forward = {1.0f, 0.0f, 0.0f};
    return c;
}
const PointerState kNoPointer{};
}  // namespace

TEST(Camera, KeysMoveAndTurnByFrameTime)
{
    Camera c = LookingAlongX();
    EXPECT_EQ(c.origin.x, -100.0f);
    EXPECT_EQ(c.origin.z, 60.0f);
    EXPECT_EQ(c.pitch, 10.0f);

    CameraInput(c, kInputMoveForward, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.x, -80.0f);
    CameraInput(c, kInputMoveBack, 0.1f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.x, -120.0f);
    CameraInput(c, kInputMoveLeft, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.y, 20.0f);
    CameraInput(c, kInputMoveRight, 0.1f, kNoPointer);
    EXPECT_FLOAT_EQ(c.origin.y, -20.0f);

    CameraInput(c, kInputLookUp, 1.0f, kNoPointer);
    EXPECT_EQ(c.pitch, -90.0f);
    CameraInput(c, kInputLookDown, 1.0f, kNoPointer);
    EXPECT_EQ(c.pitch, 90.0f);

    c.yaw = 359.9f;
    CameraInput(c, kInputTurnLeft, 0.05f, kNoPointer);
    EXPECT_NEAR(c.yaw, 19.9f, 1e-4f);
    c.yaw = 800.0f;  // reachable by dragging: only one 360 comes off
    CameraInput(c, kInputTurnLeft, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.yaw, 460.0f);
    c.yaw = 10.0f;
    CameraInput(c, kInputTurnRight, 0.05f, kNoPointer);
    EXPECT_FLOAT_EQ(c.yaw, 350.0f);

    const Camera before = c;
    for (int code = kInputMoveForward; code <= kInputTurnRight; ++code)
        CameraInput(c, code, 0.0f, kNoPointer);
    for (int code : {0, 14, -1, 1000})
        CameraInput(c, code, 1.0f, kNoPointer);
    EXPECT_EQ(std::memcmp(&before, &c, sizeof c), 0);
}

TEST(Camera, DragsFollowTheModifiers)
{
    Camera c = LookingAlongX();
    CameraInput(c, kInputLeftButtonDown, 0.0f, PointerState{100, 100, false, false});
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{130, 90, false, false});
    EXPECT_EQ(c.sceneSpin, -30.0f);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{130, 90, false, true});
    EXPECT_EQ(c.pitch, 0.0f);
    EXPECT_EQ(c.yaw, -30.0f);  // drags neither wrap nor clamp
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{130, 90, true, true});  // Shift wins
    EXPECT_EQ(c.origin.y, 30.0f);
    EXPECT_EQ(c.origin.z, 50.0f);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{100, -200, false, true});
    EXPECT_EQ(c.pitch, -290.0f);

    // The left drag takes precedence while both buttons are down.
    CameraInput(c, kInputRightButtonDown, 0.0f, PointerState{0, 0, false, false});
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{0, 20, false, false});
    EXPECT_EQ(c.origin.x, -100.0f);
    EXPECT_EQ(c.sceneSpin, -0.0f);
    CameraInput(c, kInputLeftButtonUp, 0.0f, kNoPointer);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{0, 20, false, false});
    EXPECT_EQ(c.origin.x, -120.0f);
    CameraInput(c, kInputRightButtonUp, 0.0f, kNoPointer);
    CameraInput(c, kInputPointerMove, 0.0f, PointerState{0, 50, false, false});
    EXPECT_EQ(c.origin.x, -120.0f);
}
