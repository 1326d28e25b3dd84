// Compiled for i386, where a double inside a struct is only 4-aligned: the
// record's static_asserts must hold there as well.
#include "ParticleSystem.h"

static_assert(sizeof(void *) == 4, "this check must be compiled for a 32-bit target");
static_assert(sizeof(ParticleSystem) == 32200);
