// trig.h — sine and cosine of a float angle that give the same bits on every
// system. The C libraries' sinf and cosf differ in the last bit between
// systems (glibc's and MinGW's do), which would move a world's vertices by
// that bit and change pixels; these are worked out in double precision with
// plain arithmetic and rounded once to float, so they are the correctly
// rounded values (as glibc's are for all but the rarest arguments).
#pragma once

namespace halcyon {

float Sin(float angle);
float Cos(float angle);

}  // namespace halcyon
