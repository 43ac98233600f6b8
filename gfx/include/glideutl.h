/* glideutl.h — Glide's utility calls: texture memory management over
   mipmap handles, combine and fog helpers, clipped drawing and the .3df
   texture file reader. Included by glide.h. */
#ifndef GFX_GLIDEUTL_H_
#define GFX_GLIDEUTL_H_

#include <3dfx.h>
#include <glide.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Drawing helpers ----------------------------------------------------- */
FX_ENTRY void FX_CALL guAADrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c);
FX_ENTRY void FX_CALL guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c);
FX_ENTRY void FX_CALL guDrawPolygonVertexListWithClip(int nverts, const GrVertex vlist[]);

/* ---- Combine helpers ----------------------------------------------------- */
FX_ENTRY void FX_CALL guAlphaSource(GrAlphaSource_t mode);
FX_ENTRY void FX_CALL guColorCombineFunction(GrColorCombineFnc_t fnc);
FX_ENTRY void FX_CALL guTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t fnc);

/* ---- Texture memory over mipmap handles ---------------------------------- */
FX_ENTRY int FX_CALL guEncodeRLE16(void* dst, void* src, FxU32 width, FxU32 height);
FX_ENTRY FxU16* FX_CALL guTexCreateColorMipMap(void);
FX_ENTRY GrMipMapId_t FX_CALL guTexAllocateMemory(
    GrChipID_t tmu, FxU8 odd_even_mask, int width, int height, GrTextureFormat_t fmt, GrMipMapMode_t mm_mode,
    GrLOD_t smallest_lod, GrLOD_t largest_lod, GrAspectRatio_t aspect, GrTextureClampMode_t s_clamp_mode,
    GrTextureClampMode_t t_clamp_mode, GrTextureFilterMode_t minfilter_mode,
    GrTextureFilterMode_t magfilter_mode, float lod_bias, FxBool trilinear);
FX_ENTRY FxBool FX_CALL guTexChangeAttributes(GrMipMapId_t mmid, int width, int height, GrTextureFormat_t fmt,
                                              GrMipMapMode_t mm_mode, GrLOD_t smallest_lod,
                                              GrLOD_t largest_lod, GrAspectRatio_t aspect,
                                              GrTextureClampMode_t s_clamp_mode,
                                              GrTextureClampMode_t t_clamp_mode,
                                              GrTextureFilterMode_t minFilterMode,
                                              GrTextureFilterMode_t magFilterMode);
FX_ENTRY GrMipMapId_t FX_CALL guTexGetCurrentMipMap(GrChipID_t tmu);
FX_ENTRY GrMipMapInfo* FX_CALL guTexGetMipMapInfo(GrMipMapId_t mmid);
FX_ENTRY FxU32 FX_CALL guTexMemQueryAvail(GrChipID_t tmu);
FX_ENTRY void FX_CALL guTexDownloadMipMap(GrMipMapId_t mmid, const void* src, const GuNccTable* nccTable);
FX_ENTRY void FX_CALL guTexDownloadMipMapLevel(GrMipMapId_t mmid, GrLOD_t lod, const void** src);
FX_ENTRY void FX_CALL guTexMemReset(void);
FX_ENTRY void FX_CALL guTexSource(GrMipMapId_t id);

/* ---- Several texture units ----------------------------------------------- */
FX_ENTRY void FX_CALL guMPInit(void);
FX_ENTRY void FX_CALL guMPDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c);
FX_ENTRY void FX_CALL guMPTexSource(GrChipID_t tmu, GrMipMapId_t mmid);
FX_ENTRY void FX_CALL guMPTexCombineFunction(GrMPTextureCombineFnc_t tc_fnc);

/* ---- Fog tables ---------------------------------------------------------- */
FX_ENTRY void FX_CALL guFogGenerateExp(GrFog_t fogTable[GR_FOG_TABLE_SIZE], float density);
FX_ENTRY void FX_CALL guFogGenerateExp2(GrFog_t fogTable[GR_FOG_TABLE_SIZE], float density);
FX_ENTRY void FX_CALL guFogGenerateLinear(GrFog_t fogTable[GR_FOG_TABLE_SIZE], float nearZ, float farZ);
FX_ENTRY float FX_CALL guFogTableIndexToW(int i);

/* ---- Byte order ---------------------------------------------------------- */
FX_ENTRY FxU32 FX_CALL guEndianSwapWords(FxU32 value);
FX_ENTRY FxU16 FX_CALL guEndianSwapBytes(FxU16 value);

/* ---- .3df texture files -------------------------------------------------- */
FX_ENTRY FxBool FX_CALL gu3dfGetInfo(const char* filename, Gu3dfInfo* info);
FX_ENTRY FxBool FX_CALL gu3dfLoad(const char* filename, Gu3dfInfo* data);

/* ---- Movie capture (accepted; nothing is recorded) ----------------------- */
FX_ENTRY void FX_CALL guMovieStart(void);
FX_ENTRY void FX_CALL guMovieStop(void);
FX_ENTRY void FX_CALL guMovieSetName(const char* name);

#ifdef __cplusplus
}
#endif

#endif /* GFX_GLIDEUTL_H_ */
