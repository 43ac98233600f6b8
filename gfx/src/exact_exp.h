// exact_exp.h — e^x for a float x that gives the same bits on every system.
// The C libraries' expf differ in the last bit between systems (glibc's and
// MinGW's do), which would change fog tables; this one is worked out in
// double precision with plain arithmetic and rounded once to float, so it is
// the correctly rounded value.
#pragma once

namespace gfx {

float ExactExp(float x);

}  // namespace gfx
