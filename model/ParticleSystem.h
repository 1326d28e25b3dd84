// The particle-effect record shared by the editor, the manager plug-ins and the
// renderer plug-ins. Its bytes are an interface between separately built
// libraries: every offset, width and padding byte below is fixed.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#ifdef __cplusplus
extern "C" {
#endif

enum : int32_t {
    kParticleTextSize = 256,  // every text buffer: 255 characters and a NUL
    kMaxParticleTypes = 10,
    kUserSlotCount = 8,
};

struct ParamInt {
    int32_t supported;
    int32_t present;
    int32_t value;
};

struct alignas(8) ParamValue {
    int32_t supported;
    int32_t present;
    alignas(8) double value;
};

struct alignas(8) ParamRange {
    int32_t supported;
    int32_t present;
    alignas(8) double min;
    alignas(8) double max;
};

struct alignas(8) ParamVector {
    int32_t supported;
    int32_t present;
    alignas(8) double x;
    alignas(8) double y;
    alignas(8) double z;
};

struct ParamText {
    int32_t supported;
    int32_t present;
    char text[kParticleTextSize];
};

struct alignas(8) ParticleType {
    char name[kParticleTextSize];
    ParamText sprite;
    ParamText spraytype;
    ParamText overlaytype;
    ParamText rendermode;
    ParamText drawcondition;
    ParamText killcondition;
    ParamVector offset;
    ParamRange gravity;
    ParamRange windyaw;
    ParamRange windstrength;
    ParamRange startalpha;
    ParamRange endalpha;
    ParamRange startred;
    ParamRange endred;
    ParamRange startgreen;
    ParamRange endgreen;
    ParamRange startblue;
    ParamRange endblue;
    ParamRange startsize;
    ParamRange sizedelta;
    ParamRange endsize;
    ParamRange startangle;
    ParamRange angledelta;
    ParamRange startframe;
    ParamRange framerate;
    ParamRange endframe;
    ParamRange lifetime;
    ParamRange sprayrate;
    ParamRange sprayforce;
    ParamRange spraypitch;
    ParamRange sprayyaw;
    ParamRange drag;
    ParamRange bounce;
    ParamRange bouncefriction;
    // Slots a manager may define beyond the standard set (labels from
    // embGetUserParmName, numbered 0..7 in this order).
    ParamValue userValue1;
    ParamValue userValue2;
    ParamRange userRange1;
    ParamRange userRange2;
    ParamText userText1;
    ParamText userText2;
    ParamVector userVector1;
    ParamVector userVector2;
};

struct alignas(8) ParticleSystem {
    int32_t particles;  // size of the renderer's particle pool
    int32_t typeCount;  // used entries in types, 0..10
    ParamInt attachment;
    char maintype[kParticleTextSize];
    int32_t padding;
    ParticleType types[kMaxParticleTypes];
};

#ifdef __cplusplus
}  // extern "C"
#endif

// ---- layout checks: these hold for 32-bit and 64-bit builds alike ----
#define PS_CHECK(type, field, off) static_assert(offsetof(type, field) == (off), #type "." #field)

static_assert(sizeof(ParamInt) == 12);
static_assert(sizeof(ParamValue) == 16);
static_assert(sizeof(ParamRange) == 24);
static_assert(sizeof(ParamVector) == 32);
static_assert(sizeof(ParamText) == 264);
PS_CHECK(ParamInt, supported, 0);
PS_CHECK(ParamInt, present, 4);
PS_CHECK(ParamInt, value, 8);
PS_CHECK(ParamValue, value, 8);
PS_CHECK(ParamRange, min, 8);
PS_CHECK(ParamRange, max, 16);
PS_CHECK(ParamVector, x, 8);
PS_CHECK(ParamVector, y, 16);
PS_CHECK(ParamVector, z, 24);
PS_CHECK(ParamText, text, 8);

static_assert(sizeof(ParticleType) == 3192);
PS_CHECK(ParticleType, name, 0);
PS_CHECK(ParticleType, sprite, 256);
PS_CHECK(ParticleType, spraytype, 520);
PS_CHECK(ParticleType, overlaytype, 784);
PS_CHECK(ParticleType, rendermode, 1048);
PS_CHECK(ParticleType, drawcondition, 1312);
PS_CHECK(ParticleType, killcondition, 1576);
PS_CHECK(ParticleType, offset, 1840);
PS_CHECK(ParticleType, gravity, 1872);
PS_CHECK(ParticleType, windyaw, 1896);
PS_CHECK(ParticleType, windstrength, 1920);
PS_CHECK(ParticleType, startalpha, 1944);
PS_CHECK(ParticleType, endalpha, 1968);
PS_CHECK(ParticleType, startred, 1992);
PS_CHECK(ParticleType, endred, 2016);
PS_CHECK(ParticleType, startgreen, 2040);
PS_CHECK(ParticleType, endgreen, 2064);
PS_CHECK(ParticleType, startblue, 2088);
PS_CHECK(ParticleType, endblue, 2112);
PS_CHECK(ParticleType, startsize, 2136);
PS_CHECK(ParticleType, sizedelta, 2160);
PS_CHECK(ParticleType, endsize, 2184);
PS_CHECK(ParticleType, startangle, 2208);
PS_CHECK(ParticleType, angledelta, 2232);
PS_CHECK(ParticleType, startframe, 2256);
PS_CHECK(ParticleType, framerate, 2280);
PS_CHECK(ParticleType, endframe, 2304);
PS_CHECK(ParticleType, lifetime, 2328);
PS_CHECK(ParticleType, sprayrate, 2352);
PS_CHECK(ParticleType, sprayforce, 2376);
PS_CHECK(ParticleType, spraypitch, 2400);
PS_CHECK(ParticleType, sprayyaw, 2424);
PS_CHECK(ParticleType, drag, 2448);
PS_CHECK(ParticleType, bounce, 2472);
PS_CHECK(ParticleType, bouncefriction, 2496);
PS_CHECK(ParticleType, userValue1, 2520);
PS_CHECK(ParticleType, userValue2, 2536);
PS_CHECK(ParticleType, userRange1, 2552);
PS_CHECK(ParticleType, userRange2, 2576);
PS_CHECK(ParticleType, userText1, 2600);
PS_CHECK(ParticleType, userText2, 2864);
PS_CHECK(ParticleType, userVector1, 3128);
PS_CHECK(ParticleType, userVector2, 3160);

static_assert(sizeof(ParticleSystem) == 32200);
PS_CHECK(ParticleSystem, particles, 0);
PS_CHECK(ParticleSystem, typeCount, 4);
PS_CHECK(ParticleSystem, attachment, 8);
PS_CHECK(ParticleSystem, maintype, 20);
PS_CHECK(ParticleSystem, padding, 276);
PS_CHECK(ParticleSystem, types, 280);
#undef PS_CHECK

// Render modes and content conditions are held as text in the record.
namespace RenderMode {
inline constexpr const char *kRenderTransAdd = "kRenderTransAdd";
inline constexpr const char *kRenderTransAlpha = "kRenderTransAlpha";
inline constexpr const char *kRenderTransTexture = "kRenderTransTexture";
inline constexpr const char *kRenderTransColor = "kRenderTransColor";
}  // namespace RenderMode

namespace ContentCondition {
inline constexpr const char *CONTENT_EMPTY = "CONTENT_EMPTY";
inline constexpr const char *CONTENT_WATER = "CONTENT_WATER";
inline constexpr const char *CONTENT_SOLID = "CONTENT_SOLID";
inline constexpr const char *CONTENT_SPECIAL1 = "CONTENT_SPECIAL1";
inline constexpr const char *CONTENT_SPECIAL2 = "CONTENT_SPECIAL2";
inline constexpr const char *CONTENT_SPECIAL3 = "CONTENT_SPECIAL3";
}  // namespace ContentCondition

// Bounds closer than this count as one value.
inline constexpr double kSingleValueEpsilon = 0.0001;

inline bool IsSingleValue(const ParamRange &range)
{
    return std::fabs(range.max - range.min) < kSingleValueEpsilon;
}

// Number of entries of a record that may be read safely, whatever typeCount holds.
inline int32_t UsedTypeCount(const ParticleSystem &record)
{
    if (record.typeCount < 0)
        return 0;
    return record.typeCount > kMaxParticleTypes ? kMaxParticleTypes : record.typeCount;
}
