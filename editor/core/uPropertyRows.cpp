#include "uPropertyRows.h"

#include <cstring>

#include "uPropertyNumbers.h"

UserParmNames UserParmNamesFromBuffers(const char (*buffers)[kParticleTextSize])
{
    UserParmNames names;
    if (!buffers)
        return names;
    for (int i = 0; i < kUserSlotCount; ++i)
        names[static_cast<std::size_t>(i)] = std::string(RecordText(buffers[i]));
    return names;
}

bool IsMainType(const ParticleSystem &record, const ParticleType &type)
{
    return RecordText(type.name) == RecordText(record.maintype);
}

bool DrawsItself(const ParticleSystem &record, const ParticleType &type)
{
    return !IsMainType(record, type) || RecordText(type.spraytype.text).empty();
}

std::string RangeText(const ParamRange &range, std::string_view sep)
{
    if (!range.present)
        return {};
    if (IsSingleValue(range))
        return FormatGeneral(range.min, sep);
    return FormatGeneral(range.min, sep) + ".." + FormatGeneral(range.max, sep);
}

std::string ValueText(const ParamValue &value, std::string_view sep)
{
    return value.present ? FormatGeneral(value.value, sep) : std::string();
}

std::string VectorText(const ParamVector &v, std::string_view sep)
{
    if (!v.present)
        return {};
    return FormatGeneral(v.x, sep) + " " + FormatGeneral(v.y, sep) + " " + FormatGeneral(v.z, sep);
}

std::string TextParamText(const ParamText &text)
{
    return text.present ? std::string(RecordText(text.text)) : std::string();
}

std::string ColourRowText(double red, double green, double blue, std::string_view sep)
{
    return FormatFixed3(red, sep) + " " + FormatFixed3(green, sep) + " " + FormatFixed3(blue, sep);
}

std::vector<std::string> TypeNames(const ParticleSystem &record)
{
    std::vector<std::string> names;
    for (int i = 0; i < UsedTypeCount(record); ++i)
        names.emplace_back(RecordText(record.types[i].name));
    return names;
}

namespace {

class PageBuilder {
public:
    PageBuilder(std::vector<InspectorRow> &rows, std::string_view sep) : rows_(rows), sep_(sep) {}

    InspectorRow &Add(std::string key, std::string value)
    {
        InspectorRow row;
        row.key = std::move(key);
        row.value = std::move(value);
        rows_.push_back(std::move(row));
        return rows_.back();
    }
    void Range(const std::string &key, const ParamRange &r)
    {
        if (r.supported > 0)
            Add(key, RangeText(r, sep_));
    }
    InspectorRow *Text(const std::string &key, const ParamText &t)
    {
        if (t.supported <= 0)
            return nullptr;
        InspectorRow &row = Add(key, TextParamText(t));
        row.maxLength = kMaxTextLength;
        return &row;
    }
    void PickText(const char *key, const ParamText &t, std::vector<std::string> list)
    {
        if (InspectorRow *row = Text(key, t)) {
            row->editStyle = EditStyle::PickList;
            row->readOnly = true;
            row->pickList = std::move(list);
        }
    }
    void Value(const std::string &key, const ParamValue &v)
    {
        if (v.supported > 0)
            Add(key, ValueText(v, sep_));
    }
    void Vector(const std::string &key, const ParamVector &v)
    {
        if (v.supported > 0)
            Add(key, VectorText(v, sep_));
    }
    void Colour(const char *base, const char *redKey, const char *greenKey, const char *blueKey,
                const ParamRange &red, const ParamRange &green, const ParamRange &blue)
    {
        if (red.supported > 0 && green.supported > 0 && blue.supported > 0) {
            std::string first, second;
            if (red.present || green.present || blue.present) {
                first = ColourRowText(red.min, green.min, blue.min, sep_);
                if (!(IsSingleValue(red) && IsSingleValue(green) && IsSingleValue(blue)))
                    second = ColourRowText(red.max, green.max, blue.max, sep_);
            }
            for (auto &[suffix, text] : {std::pair{" 1", first}, std::pair{" 2", second}}) {
                InspectorRow &row = Add(std::string(base) + suffix, text);
                row.editStyle = EditStyle::Ellipsis;
                row.picker = RowPicker::Colour;
            }
            return;
        }
        Range(redKey, red);
        Range(greenKey, green);
        Range(blueKey, blue);
    }

private:
    std::vector<InspectorRow> &rows_;
    std::string_view sep_;
};

}  // namespace

std::vector<InspectorRow> BuildInspectorPage(const ParticleSystem &record, int page,
                                             const UserParmNames &userNames, std::string_view sep)
{
    namespace K = InspectorKey;
    std::vector<InspectorRow> rows;
    PageBuilder b(rows, sep);
    const std::vector<std::string> names = TypeNames(record);

    if (page == 0) {
        b.Add(K::kParticles, std::to_string(record.particles));
        InspectorRow &main = b.Add(K::kMainType, std::string(RecordText(record.maintype)));
        main.editStyle = EditStyle::PickList;
        main.readOnly = true;
        main.pickList = names;
        if (record.attachment.supported > 0)
            b.Add(K::kAttachment, std::to_string(record.attachment.value));
        return rows;
    }
    if (page < 0 || page > UsedTypeCount(record))
        return rows;

    const ParticleType &t = record.types[page - 1];
    const bool main = IsMainType(record, t);
    const bool draws = DrawsItself(record, t);
    std::vector<std::string> typeChoices{""};
    typeChoices.insert(typeChoices.end(), names.begin(), names.end());

    b.Add(K::kName, std::string(RecordText(t.name))).maxLength = kMaxTextLength;
    if (main)
        b.PickText(K::kSprayType, t.spraytype, typeChoices);
    if (draws)
        b.PickText(K::kOverlayType, t.overlaytype, typeChoices);
    if (main) {
        b.Range(K::kSprayForce, t.sprayforce);
        b.Range(K::kSprayPitch, t.spraypitch);
        b.Range(K::kSprayYaw, t.sprayyaw);
        b.Range(K::kSprayRate, t.sprayrate);
    }
    if (!draws)
        return rows;

    b.Range(K::kWindStrength, t.windstrength);
    b.Range(K::kWindYaw, t.windyaw);
    b.Vector(K::kOffset, t.offset);
    b.Range(K::kStartSize, t.startsize);
    b.Range(K::kEndSize, t.endsize);
    b.Range(K::kSizeDelta, t.sizedelta);
    b.Range(K::kStartAngle, t.startangle);
    b.Range(K::kAngleDelta, t.angledelta);
    b.Range(K::kStartFrame, t.startframe);
    b.Range(K::kEndFrame, t.endframe);
    b.Range(K::kFramerate, t.framerate);
    b.Range(K::kLifeTime, t.lifetime);
    if (InspectorRow *sprite = b.Text(K::kSpriteName, t.sprite)) {
        sprite->editStyle = EditStyle::Ellipsis;
        sprite->picker = RowPicker::Sprite;
    }
    b.PickText(K::kRenderMode, t.rendermode,
               {RenderMode::kRenderTransAdd, RenderMode::kRenderTransAlpha, RenderMode::kRenderTransTexture,
                RenderMode::kRenderTransColor});
    b.Colour("Start Color", K::kStartRed, K::kStartGreen, K::kStartBlue, t.startred, t.startgreen,
             t.startblue);
    b.Colour("End Color", K::kEndRed, K::kEndGreen, K::kEndBlue, t.endred, t.endgreen, t.endblue);
    b.Range(K::kStartAlpha, t.startalpha);
    b.Range(K::kEndAlpha, t.endalpha);
    b.PickText(K::kDrawCondition, t.drawcondition,
               {"", ContentCondition::CONTENT_EMPTY, ContentCondition::CONTENT_WATER,
                ContentCondition::CONTENT_SOLID, ContentCondition::CONTENT_SPECIAL1,
                ContentCondition::CONTENT_SPECIAL2, ContentCondition::CONTENT_SPECIAL3});
    b.Range(K::kGravity, t.gravity);
    b.Range(K::kBounce, t.bounce);
    b.Range(K::kBounceFriction, t.bouncefriction);
    b.Range(K::kDrag, t.drag);
    b.PickText(K::kKillCondition, t.killcondition,
               {"", ContentCondition::CONTENT_EMPTY, ContentCondition::CONTENT_WATER,
                ContentCondition::CONTENT_SOLID});

    b.Value(userNames[0], t.userValue1);
    b.Value(userNames[1], t.userValue2);
    b.Range(userNames[2], t.userRange1);
    b.Range(userNames[3], t.userRange2);
    b.Text(userNames[4], t.userText1);
    b.Text(userNames[5], t.userText2);
    b.Vector(userNames[6], t.userVector1);
    b.Vector(userNames[7], t.userVector2);
    return rows;
}
