// The edits' renderer calls forwarded to the window's renderer host, which
// does nothing without an open device.
#pragma once

#include "uPropertyEdit.h"
#include "uRender.h"

class HostRenderer : public RendererCalls {
public:
    explicit HostRenderer(TRendererHost &host) : host_(host) {}
    void ReallocParticles() override { host_.ReallocParticles(); }
    void RelinkTypes() override { host_.RelinkTypes(); }
    void UpdateTextures() override { host_.UpdateTextures(); }
    void UpdateRendermode() override { host_.UpdateRendermode(); }
    void UpdateParticles(const ParticleSystem *record) override { host_.UpdateParticles(record); }

private:
    TRendererHost &host_;
};
