#include "uPropertyEdit.h"

#include <cmath>
#include <cstring>

#include "RecordText.h"
#include "uPropertyNumbers.h"
#include "uPropertyReaders.h"
#include "uRebuildTypes.h"

namespace {

namespace K = InspectorKey;

struct RangeKey {
    const char *key;
    ParamRange ParticleType::*field;
};

// Range rows that take effect without a renderer call, as the renderer reads
// them from the record each frame.
constexpr RangeKey kRangeKeys[] = {
    {K::kSprayForce, &ParticleType::sprayforce},
    {K::kSprayPitch, &ParticleType::spraypitch},
    {K::kSprayYaw, &ParticleType::sprayyaw},
    {K::kSprayRate, &ParticleType::sprayrate},
    {K::kWindStrength, &ParticleType::windstrength},
    {K::kWindYaw, &ParticleType::windyaw},
    {K::kStartSize, &ParticleType::startsize},
    {K::kEndSize, &ParticleType::endsize},
    {K::kSizeDelta, &ParticleType::sizedelta},
    {K::kStartAngle, &ParticleType::startangle},
    {K::kAngleDelta, &ParticleType::angledelta},
    {K::kStartFrame, &ParticleType::startframe},
    {K::kEndFrame, &ParticleType::endframe},
    {K::kFramerate, &ParticleType::framerate},
    {K::kLifeTime, &ParticleType::lifetime},
    {K::kStartRed, &ParticleType::startred},
    {K::kEndRed, &ParticleType::endred},
    {K::kStartGreen, &ParticleType::startgreen},
    {K::kEndGreen, &ParticleType::endgreen},
    {K::kStartBlue, &ParticleType::startblue},
    {K::kEndBlue, &ParticleType::endblue},
    {K::kStartAlpha, &ParticleType::startalpha},
    {K::kEndAlpha, &ParticleType::endalpha},
    {K::kGravity, &ParticleType::gravity},
    {K::kBounce, &ParticleType::bounce},
    {K::kBounceFriction, &ParticleType::bouncefriction},
    {K::kDrag, &ParticleType::drag},
};

const ParticleType *TypeOfPage(const ParticleSystem &record, int page)
{
    if (page < 1 || page > UsedTypeCount(record))
        return nullptr;
    return &record.types[page - 1];
}

ParticleType *TypeOfPage(ParticleSystem &record, int page)
{
    return const_cast<ParticleType *>(TypeOfPage(static_cast<const ParticleSystem &>(record), page));
}

EditResult Applied()
{
    EditResult r;
    r.outcome = EditOutcome::Applied;
    return r;
}

EditResult Refused(std::string message)
{
    EditResult r;
    r.outcome = EditOutcome::Refused;
    r.message = std::move(message);
    return r;
}

EditResult ValidateGlobal(InspectorEditContext &ctx, std::string_view key, std::string_view value)
{
    ParticleSystem &rec = ctx.record;
    if (key == K::kParticles) {
        int32_t n = ReadCount(value);
        if (n > 0 && n != rec.particles) {
            rec.particles = n;
            ctx.renderer.ReallocParticles();
        }
    } else if (key == K::kMainType) {
        if (auto problem = TextValueProblem(key, value))
            return Refused(*problem);
        if (value != RecordText(rec.maintype)) {
            CopyRecordText(rec.maintype, value);
            ctx.renderer.RelinkTypes();
        }
    } else if (key == K::kAttachment) {
        rec.attachment = ReadParamInt(value);
    }
    return Applied();
}

// Reads a type reference (spray or overlay) only when it changes.
void ValidateTypeReference(InspectorEditContext &ctx, ParamText &field, std::string_view value)
{
    if (value != RecordText(field.text)) {
        field = ReadParamText(value);
        ctx.renderer.RelinkTypes();
    }
}

bool IsTextKey(std::string_view key, const UserParmNames &userNames)
{
    for (const char *k : {K::kName, K::kSprayType, K::kOverlayType, K::kSpriteName, K::kRenderMode,
                          K::kDrawCondition, K::kKillCondition})
        if (key == k)
            return true;
    // A user name equal to a fixed label never reaches its slot, and the fixed
    // text labels are all checked above.
    return key == userNames[4] || key == userNames[5];
}

EditResult ValidateColour(InspectorEditContext &ctx, int page, bool start, std::string_view key,
                          std::string_view value, const RowValueLookup &currentValue)
{
    const char *firstKey = start ? K::kStartColor1 : K::kEndColor1;
    const char *secondKey = start ? K::kStartColor2 : K::kEndColor2;
    auto rowText = [&](const char *rowKey) -> std::string {
        if (key == rowKey)
            return std::string(value);
        return currentValue ? currentValue(rowKey) : std::string();
    };
    EditResult r = Applied();
    if (auto error = ApplyColourRows(ctx.record, page, start, rowText(firstKey), rowText(secondKey),
                                     ctx.decimalSeparator)) {
        r.outcome = EditOutcome::Refused;
        r.message = *error;
    }
    return r;
}

EditResult ValidateType(InspectorEditContext &ctx, int page, ParticleType &t, std::string_view key,
                        std::string_view value, const RowValueLookup &currentValue)
{
    const std::string_view sep = ctx.decimalSeparator;
    if (IsTextKey(key, ctx.userNames)) {
        if (auto problem = TextValueProblem(key, value))
            return Refused(*problem);
    }
    if (key == K::kName) {
        EditResult r = Applied();
        if (value != RecordText(t.name)) {
            // The main type and the references follow, so the effect keeps
            // its links.
            RenameType(ctx.record, page - 1, value);
            r.typeEntryText = std::string(RecordText(t.name));
            ctx.renderer.RelinkTypes();
        }
        return r;
    }
    if (key == K::kSprayType) {
        ValidateTypeReference(ctx, t.spraytype, value);
        return Applied();
    }
    if (key == K::kOverlayType) {
        ValidateTypeReference(ctx, t.overlaytype, value);
        return Applied();
    }
    if (key == K::kOffset) {
        t.offset = ReadParamVector(value, sep);
        return Applied();
    }
    if (key == K::kSpriteName) {
        t.sprite = ReadParamText(value);
        ctx.renderer.UpdateTextures();
        return Applied();
    }
    if (key == K::kRenderMode) {
        t.rendermode = ReadParamText(value);
        ctx.renderer.UpdateRendermode();
        return Applied();
    }
    if (key == K::kDrawCondition) {
        t.drawcondition = ReadParamText(value);
        return Applied();
    }
    if (key == K::kKillCondition) {
        t.killcondition = ReadParamText(value);
        return Applied();
    }
    for (const RangeKey &rk : kRangeKeys) {
        if (key == rk.key) {
            t.*rk.field = ReadParamRange(value, sep);
            return Applied();
        }
    }
    if (key == K::kStartColor1 || key == K::kStartColor2)
        return ValidateColour(ctx, page, true, key, value, currentValue);
    if (key == K::kEndColor1 || key == K::kEndColor2)
        return ValidateColour(ctx, page, false, key, value, currentValue);

    // User slots come after every fixed label, so a user name equal to a
    // fixed label never reaches its slot.
    const UserParmNames &u = ctx.userNames;
    if (key == u[0]) {
        t.userValue1 = ReadParamValue(value, sep);
    } else if (key == u[1]) {
        t.userValue2 = ReadParamValue(value, sep);
    } else if (key == u[2]) {
        t.userRange1 = ReadParamRange(value, sep);
    } else if (key == u[3]) {
        t.userRange2 = ReadParamRange(value, sep);
    } else if (key == u[4]) {
        t.userText1 = ReadParamText(value);
    } else if (key == u[5]) {
        t.userText2 = ReadParamText(value);
    } else if (key == u[6]) {
        t.userVector1 = ReadParamVector(value, sep);
    } else if (key == u[7]) {
        t.userVector2 = ReadParamVector(value, sep);
    } else if (!key.empty()) {
        EditResult r;
        r.outcome = EditOutcome::UnknownKey;
        r.message = "Unknown key: \"" + std::string(key) + "\"";
        return r;
    }
    return Applied();
}

}  // namespace

EditResult ValidateInspectorEdit(InspectorEditContext &ctx, int page, std::string_view key,
                                 std::string_view value, const RowValueLookup &currentValue)
{
    if (!ctx.documentReady)
        return {};
    ctx.recordModified = true;
    if (page == 0)
        return ValidateGlobal(ctx, key, value);
    ParticleType *t = TypeOfPage(ctx.record, page);
    if (!t)
        return Applied();  // no such page: nothing to write
    return ValidateType(ctx, page, *t, key, value, currentValue);
}

std::optional<std::string> TextValueProblem(std::string_view key, std::string_view value)
{
    const std::string label = "\"" + std::string(key) + "\"";
    if (value.find('"') != std::string_view::npos)
        return "The text of " + label +
               " cannot contain a double quote (\"): a script has no way to store it. "
               "The value was left unchanged.";
    if (value.size() > static_cast<std::size_t>(kMaxTextLength))
        return "The text of " + label + " takes " + std::to_string(value.size()) + " bytes, but at most " +
               std::to_string(kMaxTextLength) + " can be stored. The value was left unchanged.";
    return std::nullopt;
}

std::optional<std::string> SpritePathForFile(std::string_view chosenFile)
{
    std::size_t slash = chosenFile.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? chosenFile : chosenFile.substr(slash + 1);
    std::string path = "sprites/" + std::string(name);
    if (path.size() > static_cast<std::size_t>(kMaxTextLength))
        return std::nullopt;
    return path;
}

std::string SpritePathTooLongMessage(std::string_view spritePath)
{
    return "The sprite path \"" + std::string(spritePath) + "\" is longer than " +
           std::to_string(kMaxTextLength) + " characters and cannot be stored.";
}

bool ApplySpriteChoice(ParticleSystem &record, int page, std::string_view spritePath, RendererCalls &renderer)
{
    ParticleType *t = TypeOfPage(record, page);
    if (!t || spritePath.size() > static_cast<std::size_t>(kMaxTextLength))
        return false;
    t->sprite.supported = 1;
    t->sprite.present = 1;
    CopyRecordText(t->sprite.text, spritePath);
    renderer.UpdateTextures();
    return true;
}

uint8_t ChannelByte(double value)
{
    double scaled = std::round(value * 255.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 9.0e15)
        return 0;
    return static_cast<uint8_t>(static_cast<int64_t>(scaled) & 0xFF);
}

bool IsColourKey(std::string_view key)
{
    return key == K::kStartColor1 || key == K::kStartColor2 || key == K::kEndColor1 || key == K::kEndColor2;
}

std::optional<ColourBytes> ColourPickerPreset(const ParticleSystem &record, int page, std::string_view key)
{
    const ParticleType *t = TypeOfPage(record, page);
    if (!t || !IsColourKey(key))
        return std::nullopt;
    const bool start = key == K::kStartColor1 || key == K::kStartColor2;
    const bool second = key == K::kStartColor2 || key == K::kEndColor2;
    const ParamRange &r = start ? t->startred : t->endred;
    const ParamRange &g = start ? t->startgreen : t->endgreen;
    const ParamRange &b = start ? t->startblue : t->endblue;
    ColourBytes c;
    c.red = ChannelByte(second ? r.max : r.min);
    c.green = ChannelByte(second ? g.max : g.min);
    c.blue = ChannelByte(second ? b.max : b.min);
    return c;
}

std::string PickedColourText(ColourBytes colour, std::string_view decimalSeparator)
{
    return ColourRowText(colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, decimalSeparator);
}

std::optional<std::string> ApplyColourRows(ParticleSystem &record, int page, bool startColour,
                                           std::string_view first, std::string_view second,
                                           std::string_view decimalSeparator)
{
    ParticleType *t = TypeOfPage(record, page);
    if (!t)
        return std::nullopt;
    if (startColour)
        return ReadColourPair(first, second, decimalSeparator, t->startred, t->startgreen, t->startblue);
    return ReadColourPair(first, second, decimalSeparator, t->endred, t->endgreen, t->endblue);
}
