// The rows of the property inspector: which rows a page shows, in which order,
// with which labels, value texts and edit properties. Plain data over the
// record, so the grid widget only has to show it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ParticleSystem.h"

enum class EditStyle { Plain, Ellipsis, PickList };
enum class RowPicker { None, Sprite, Colour };

struct InspectorRow {
    std::string key;
    std::string value;
    EditStyle editStyle = EditStyle::Plain;
    bool readOnly = false;
    int maxLength = 0;  // 0: no limit
    RowPicker picker = RowPicker::None;
    std::vector<std::string> pickList;
};

inline constexpr int kMaxTextLength = kParticleTextSize - 1;
inline constexpr const char *kGlobalEntry = "<GLOBAL>";

// Labels of the inspector rows; the validation handler matches keys against them.
namespace InspectorKey {
inline constexpr const char *kParticles = "Number of Particles";
inline constexpr const char *kMainType = "Main Type";
inline constexpr const char *kAttachment = "Attachment";
inline constexpr const char *kName = "Name";
inline constexpr const char *kSprayType = "Spray Type";
inline constexpr const char *kOverlayType = "Overlay Type";
inline constexpr const char *kSprayForce = "Spray Force";
inline constexpr const char *kSprayPitch = "Spray Pitch";
inline constexpr const char *kSprayYaw = "Spray Yaw";
inline constexpr const char *kSprayRate = "Spray Rate";
inline constexpr const char *kWindStrength = "Wind Strength";
inline constexpr const char *kWindYaw = "Wind Yaw";
inline constexpr const char *kOffset = "Offset";
inline constexpr const char *kStartSize = "Start Size";
inline constexpr const char *kEndSize = "End Size";
inline constexpr const char *kSizeDelta = "Size Delta";
inline constexpr const char *kStartAngle = "Start Angle";
inline constexpr const char *kAngleDelta = "Angle Delta";
inline constexpr const char *kStartFrame = "Start Frame";
inline constexpr const char *kEndFrame = "End Frame";
inline constexpr const char *kFramerate = "Framerate";
inline constexpr const char *kLifeTime = "Life Time";
inline constexpr const char *kSpriteName = "Sprite Name";
inline constexpr const char *kRenderMode = "Render Mode";
inline constexpr const char *kStartColor1 = "Start Color 1";
inline constexpr const char *kStartColor2 = "Start Color 2";
inline constexpr const char *kEndColor1 = "End Color 1";
inline constexpr const char *kEndColor2 = "End Color 2";
inline constexpr const char *kStartRed = "Start Red";
inline constexpr const char *kStartGreen = "Start Green";
inline constexpr const char *kStartBlue = "Start Blue";
inline constexpr const char *kEndRed = "End Red";
inline constexpr const char *kEndGreen = "End Green";
inline constexpr const char *kEndBlue = "End Blue";
inline constexpr const char *kStartAlpha = "Start Alpha";
inline constexpr const char *kEndAlpha = "End Alpha";
inline constexpr const char *kDrawCondition = "Draw Condition";
inline constexpr const char *kGravity = "Gravity";
inline constexpr const char *kBounce = "Bounce";
inline constexpr const char *kBounceFriction = "Bounce Friction";
inline constexpr const char *kDrag = "Drag";
inline constexpr const char *kKillCondition = "Kill Condition";
}  // namespace InspectorKey

// The current manager's user parameter names, slot 0 to 7.
using UserParmNames = std::array<std::string, kUserSlotCount>;
// Each name taken up to its first zero byte.
UserParmNames UserParmNamesFromBuffers(const char (*buffers)[kParticleTextSize]);

// The main type is compared with letter case.
bool IsMainType(const ParticleSystem &record, const ParticleType &type);
bool DrawsItself(const ParticleSystem &record, const ParticleType &type);

// Value texts of the row kinds (the part after "label=").
std::string RangeText(const ParamRange &range, std::string_view decimalSeparator);
std::string ValueText(const ParamValue &value, std::string_view decimalSeparator);
std::string VectorText(const ParamVector &vector, std::string_view decimalSeparator);
std::string TextParamText(const ParamText &text);
std::string ColourRowText(double red, double green, double blue, std::string_view decimalSeparator);

// All rows of one page: 0 the global page, i the page of entry i-1. A page
// outside the used entries has no rows.
std::vector<InspectorRow> BuildInspectorPage(const ParticleSystem &record, int page,
                                             const UserParmNames &userNames,
                                             std::string_view decimalSeparator);

// The names of the used types in record order.
std::vector<std::string> TypeNames(const ParticleSystem &record);
