// A spraying effect used by the renderer benchmarks: an emitter spraying
// drops that fall, drift, bounce, turn and change, filled to a given count.
#pragma once

#include <cstring>

#include "ParticleSystem.h"

inline void BenchRange(ParamRange &r, double lo, double hi)
{
    r.min = lo;
    r.max = hi;
}

inline void BenchType(ParticleType &t, const char *name)
{
    std::memset(&t, 0, sizeof t);
    std::strcpy(t.name, name);
    std::strcpy(t.rendermode.text, "kRenderTransAdd");
    for (ParamRange *r : {&t.startalpha, &t.startred, &t.endred, &t.startgreen, &t.startblue})
        BenchRange(*r, 1.0, 1.0);
    BenchRange(t.endalpha, 0.2, 0.4);
    BenchRange(t.endgreen, 0.3, 0.6);
    BenchRange(t.endblue, 0.0, 0.2);
}

// Drops live for ever, so the live count stays where the fill put it; every
// drop still draws its spray rate each step and sprays copies while room is left.
inline void SprayingEffect(ParticleSystem &rec, int particles, const char *sprite)
{
    std::memset(&rec, 0, sizeof rec);
    rec.particles = particles;
    rec.typeCount = 2;
    std::strcpy(rec.maintype, "fountain");
    ParticleType &main = rec.types[0];
    BenchType(main, "fountain");
    std::strcpy(main.spraytype.text, "drop");
    BenchRange(main.sprayrate, 200, 200);
    BenchRange(main.sprayforce, 60, 100);
    BenchRange(main.spraypitch, 50, 85);
    BenchRange(main.sprayyaw, -180, 179);
    BenchRange(main.lifetime, 4, 4);

    ParticleType &drop = rec.types[1];
    BenchType(drop, "drop");
    std::strcpy(drop.spraytype.text, "drop");
    if (sprite)
        std::strcpy(drop.sprite.text, sprite);
    BenchRange(drop.sprayrate, 20, 40);
    BenchRange(drop.sprayforce, 10, 30);
    BenchRange(drop.spraypitch, -30, 60);
    BenchRange(drop.sprayyaw, -180, 179);
    BenchRange(drop.gravity, -120, -80);
    BenchRange(drop.drag, 0.1, 0.3);
    BenchRange(drop.windstrength, 5, 20);
    BenchRange(drop.windyaw, 0, 90);
    BenchRange(drop.bounce, 0.4, 0.6);
    BenchRange(drop.bouncefriction, 0.1, 0.2);
    BenchRange(drop.startsize, 1.5, 3.0);
    BenchRange(drop.sizedelta, 0.1, 0.2);
    BenchRange(drop.startangle, 0, 359);
    BenchRange(drop.angledelta, -90, 90);
    BenchRange(drop.framerate, 1, 2);
    BenchRange(drop.lifetime, -1, -1);
}
