/* 3dfx.h — the fixed-size scalar types and calling-convention macros every
   Glide header is written in. FxU32/FxI32 are 32 bits wide on every platform
   this library builds for; FxBool is an int. */
#ifndef GFX_3DFX_H_
#define GFX_3DFX_H_

typedef unsigned char FxU8;
typedef signed char FxI8;
typedef unsigned short FxU16;
typedef signed short FxI16;
typedef int FxI32;
typedef unsigned int FxU32;
typedef int FxBool;
typedef float FxFloat;
typedef double FxDouble;

typedef FxU32 FxColor_t;
typedef struct {
  float r, g, b, a;
} FxColor4;

#define FXTRUE 1
#define FXFALSE 0

#ifndef FXBIT
#define FXBIT(i) (1L << (i))
#endif

/* Win32 builds used these for __declspec/__stdcall; here they are empty. */
#ifndef FX_ENTRY
#define FX_ENTRY
#endif
#ifndef FX_CALL
#define FX_CALL
#endif
#ifndef FX_EXPORT
#define FX_EXPORT
#endif
#ifndef FX_CSTYLE
#define FX_CSTYLE
#endif

#endif /* GFX_3DFX_H_ */
