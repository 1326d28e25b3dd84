// Records for the inspector tests, filled the way a script manager's default
// fill does, so tests start from realistic documents.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "ParticleSystem.h"
#include "uPropertyEdit.h"
#include "uPropertyRows.h"

inline void SetText(char (&buffer)[kParticleTextSize], const char *text)
{
    std::memset(buffer, 0, sizeof buffer);
    std::strncpy(buffer, text, kParticleTextSize - 1);
}

inline ParamRange Range(double min, double max, int present = 1)
{
    ParamRange r{};
    r.supported = 1;
    r.present = present;
    r.min = min;
    r.max = max;
    return r;
}

inline ParticleType DefaultType(bool withPresentDefaults)
{
    ParticleType t{};
    SetText(t.name, "default");
    for (ParamText *p :
         {&t.sprite, &t.spraytype, &t.overlaytype, &t.rendermode, &t.drawcondition, &t.killcondition})
        p->supported = 1;
    SetText(t.rendermode.text, RenderMode::kRenderTransAdd);
    t.offset.supported = 1;
    ParamRange *ranges[] = {&t.gravity,    &t.windyaw,       &t.windstrength, &t.startalpha, &t.endalpha,
                            &t.startred,   &t.endred,        &t.startgreen,   &t.endgreen,   &t.startblue,
                            &t.endblue,    &t.startsize,     &t.sizedelta,    &t.endsize,    &t.startangle,
                            &t.angledelta, &t.startframe,    &t.framerate,    &t.endframe,   &t.lifetime,
                            &t.sprayrate,  &t.sprayforce,    &t.spraypitch,   &t.sprayyaw,   &t.drag,
                            &t.bounce,     &t.bouncefriction};
    for (ParamRange *r : ranges)
        r->supported = 1;
    for (ParamRange *r : {&t.startalpha, &t.endalpha, &t.startred, &t.endred, &t.startgreen, &t.endgreen,
                          &t.startblue, &t.endblue})
        r->min = r->max = 1.0;
    t.startangle.min = t.startangle.max = 45.0;
    t.lifetime.min = t.lifetime.max = 4.0;
    if (withPresentDefaults) {
        for (ParamRange *r : {&t.startalpha, &t.endalpha, &t.startred, &t.endred, &t.startgreen, &t.endgreen,
                              &t.startblue, &t.endblue, &t.startangle, &t.lifetime})
            r->present = 1;
        t.rendermode.present = 1;
    }
    return t;
}

// Named types; the first is the main type unless mainType says otherwise.
inline ParticleSystem MakeRecord(std::vector<std::string> names, const char *mainType = nullptr)
{
    ParticleSystem rec{};
    rec.particles = 100;
    rec.attachment.supported = 1;
    for (int i = 0; i < kMaxParticleTypes; ++i)
        rec.types[i] = DefaultType(i > 0);
    rec.typeCount = static_cast<int32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        SetText(rec.types[i].name, names[i].c_str());
    SetText(rec.maintype, mainType ? mainType : (names.empty() ? "" : names[0].c_str()));
    return rec;
}

inline std::vector<std::string> Keys(const std::vector<InspectorRow> &rows)
{
    std::vector<std::string> keys;
    for (const InspectorRow &r : rows)
        keys.push_back(r.key);
    return keys;
}

inline const InspectorRow *FindRow(const std::vector<InspectorRow> &rows, const std::string &key)
{
    for (const InspectorRow &r : rows)
        if (r.key == key)
            return &r;
    return nullptr;
}

// Records every renderer announcement in order.
class RecordingRenderer : public RendererCalls {
public:
    std::vector<std::string> calls;
    void ReallocParticles() override { calls.push_back("ReallocParticles"); }
    void RelinkTypes() override { calls.push_back("RelinkTypes"); }
    void UpdateTextures() override { calls.push_back("UpdateTextures"); }
    void UpdateRendermode() override { calls.push_back("UpdateRendermode"); }
    void UpdateParticles(const ParticleSystem *) override { calls.push_back("UpdateParticles"); }
};

// present, min and max of a range in one comparison.
inline std::string Show(const ParamRange &r)
{
    return std::to_string(r.present) + ":" + std::to_string(r.min) + ".." + std::to_string(r.max);
}
inline std::string Show(int present, double min, double max)
{
    return Show(ParamRange{1, present, min, max});
}
inline std::string Show(const ParamVector &v)
{
    return std::to_string(v.present) + ":" + std::to_string(v.x) + "," + std::to_string(v.y) + "," +
           std::to_string(v.z);
}
inline std::string Show(int present, double x, double y, double z)
{
    return Show(ParamVector{1, present, x, y, z});
}
