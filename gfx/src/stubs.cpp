// stubs.cpp — placeholder bodies for every entry point until each gets its real one.
#include <glide.h>

extern "C" {
void grDrawLine(const GrVertex*, const GrVertex*) {}
void grDrawPlanarPolygon(int, const int*, const GrVertex*) {}
void grDrawPlanarPolygonVertexList(int, const GrVertex*) {}
void grDrawPoint(const GrVertex*) {}
void grDrawPolygon(int, const int*, const GrVertex*) {}
void grDrawPolygonVertexList(int, const GrVertex*) {}
void grDrawTriangle(const GrVertex*, const GrVertex*, const GrVertex*) {}
void grAADrawLine(const GrVertex*, const GrVertex*) {}
void grAADrawPoint(const GrVertex*) {}
void grAADrawPolygon(const int, const int*, const GrVertex*) {}
void grAADrawPolygonVertexList(const int, const GrVertex*) {}
void grAADrawTriangle(const GrVertex*, const GrVertex*, const GrVertex*, FxBool, FxBool, FxBool) {}
void grBufferClear(GrColor_t, GrAlpha_t, FxU16) {}
int grBufferNumPending(void) {
  return 0;
}
void grBufferSwap(int) {}
void grRenderBuffer(GrBuffer_t) {}
void grErrorSetCallback(void (*)(const char*, FxBool)) {}
void grSstIdle(void) {}
FxU32 grSstVideoLine(void) {
  return 0;
}
FxBool grSstVRetraceOn(void) {
  return 0;
}
FxBool grSstIsBusy(void) {
  return 0;
}
FxBool grSstWinOpen(FxU32, GrScreenResolution_t, GrScreenRefresh_t, GrColorFormat_t, GrOriginLocation_t, int,
                    int) {
  return 0;
}
void grSstWinClose(void) {}
FxBool grSstControl(FxU32) {
  return 0;
}
FxBool grSstQueryHardware(GrHwConfiguration*) {
  return 0;
}
FxBool grSstQueryBoards(GrHwConfiguration*) {
  return 0;
}
void grSstOrigin(GrOriginLocation_t) {}
void grSstSelect(int) {}
FxU32 grSstScreenHeight(void) {
  return 0;
}
FxU32 grSstScreenWidth(void) {
  return 0;
}
FxU32 grSstStatus(void) {
  return 0;
}
void grSstPerfStats(GrSstPerfStats_t*) {}
void grSstResetPerfStats(void) {}
void grResetTriStats(void) {}
void grTriStats(FxU32*, FxU32*) {}
void grSstConfigPipeline(GrChipID_t, FxU32, FxU32) {}
void grAlphaBlendFunction(GrAlphaBlendFnc_t, GrAlphaBlendFnc_t, GrAlphaBlendFnc_t, GrAlphaBlendFnc_t) {}
void grAlphaCombine(GrCombineFunction_t, GrCombineFactor_t, GrCombineLocal_t, GrCombineOther_t, FxBool) {}
void grAlphaControlsITRGBLighting(FxBool) {}
void grAlphaTestFunction(GrCmpFnc_t) {}
void grAlphaTestReferenceValue(GrAlpha_t) {}
void grChromakeyMode(GrChromakeyMode_t) {}
void grChromakeyValue(GrColor_t) {}
void grClipWindow(FxU32, FxU32, FxU32, FxU32) {}
void grColorCombine(GrCombineFunction_t, GrCombineFactor_t, GrCombineLocal_t, GrCombineOther_t, FxBool) {}
void grColorMask(FxBool, FxBool) {}
void grCullMode(GrCullMode_t) {}
void grConstantColorValue(GrColor_t) {}
void grConstantColorValue4(float, float, float, float) {}
void grDepthBiasLevel(FxI16) {}
void grDepthBufferFunction(GrCmpFnc_t) {}
void grDepthBufferMode(GrDepthBufferMode_t) {}
void grDepthMask(FxBool) {}
void grDisableAllEffects(void) {}
void grDitherMode(GrDitherMode_t) {}
void grFogColorValue(GrColor_t) {}
void grFogMode(GrFogMode_t) {}
void grFogTable(const GrFog_t*) {}
void grGammaCorrectionValue(float) {}
void grSplash(float, float, float, float, FxU32) {}
FxU32 grTexCalcMemRequired(GrLOD_t, GrLOD_t, GrAspectRatio_t, GrTextureFormat_t) {
  return 0;
}
FxU32 grTexTextureMemRequired(FxU32, GrTexInfo*) {
  return 0;
}
FxU32 grTexMinAddress(GrChipID_t) {
  return 0;
}
FxU32 grTexMaxAddress(GrChipID_t) {
  return 0;
}
void grTexNCCTable(GrChipID_t, GrNCCTable_t) {}
void grTexSource(GrChipID_t, FxU32, FxU32, GrTexInfo*) {}
void grTexClampMode(GrChipID_t, GrTextureClampMode_t, GrTextureClampMode_t) {}
void grTexCombine(GrChipID_t, GrCombineFunction_t, GrCombineFactor_t, GrCombineFunction_t, GrCombineFactor_t,
                  FxBool, FxBool) {}
void grTexCombineFunction(GrChipID_t, GrTextureCombineFnc_t) {}
void grTexDetailControl(GrChipID_t, int, FxU8, float) {}
void grTexFilterMode(GrChipID_t, GrTextureFilterMode_t, GrTextureFilterMode_t) {}
void grTexLodBiasValue(GrChipID_t, float) {}
void grTexDownloadMipMap(GrChipID_t, FxU32, FxU32, GrTexInfo*) {}
void grTexDownloadMipMapLevel(GrChipID_t, FxU32, GrLOD_t, GrLOD_t, GrAspectRatio_t, GrTextureFormat_t, FxU32,
                              void*) {}
void grTexDownloadMipMapLevelPartial(GrChipID_t, FxU32, GrLOD_t, GrLOD_t, GrAspectRatio_t, GrTextureFormat_t,
                                     FxU32, void*, int, int) {}
void grTexDownloadTable(GrChipID_t, GrTexTable_t, void*) {}
void grTexDownloadTablePartial(GrChipID_t, GrTexTable_t, void*, int, int) {}
void grTexMipMapMode(GrChipID_t, GrMipMapMode_t, FxBool) {}
void grTexMultibase(GrChipID_t, FxBool) {}
void grTexMultibaseAddress(GrChipID_t, GrTexBaseRange_t, FxU32, FxU32, GrTexInfo*) {}
FxBool grLfbLock(GrLock_t, GrBuffer_t, GrLfbWriteMode_t, GrOriginLocation_t, FxBool, GrLfbInfo_t*) {
  return 0;
}
FxBool grLfbUnlock(GrLock_t, GrBuffer_t) {
  return 0;
}
void grLfbConstantAlpha(GrAlpha_t) {}
void grLfbConstantDepth(FxU16) {}
void grLfbWriteColorSwizzle(FxBool, FxBool) {}
void grLfbWriteColorFormat(GrColorFormat_t) {}
FxBool grLfbWriteRegion(GrBuffer_t, FxU32, FxU32, GrLfbSrcFmt_t, FxU32, FxU32, FxI32, void*) {
  return 0;
}
FxBool grLfbReadRegion(GrBuffer_t, FxU32, FxU32, FxU32, FxU32, FxU32, void*) {
  return 0;
}
void grGlideInit(void) {}
void grGlideShutdown(void) {}
void grGlideGetVersion(char*) {}
void grGlideGetState(GrState*) {}
void grGlideSetState(const GrState*) {}
void grGlideShamelessPlug(const FxBool) {}
void grHints(GrHint_t, FxU32) {}
void guAADrawTriangleWithClip(const GrVertex*, const GrVertex*, const GrVertex*) {}
void guDrawTriangleWithClip(const GrVertex*, const GrVertex*, const GrVertex*) {}
void guDrawPolygonVertexListWithClip(int, const GrVertex*) {}
void guAlphaSource(GrAlphaSource_t) {}
void guColorCombineFunction(GrColorCombineFnc_t) {}
void guTexCombineFunction(GrChipID_t, GrTextureCombineFnc_t) {}
int guEncodeRLE16(void*, void*, FxU32, FxU32) {
  return 0;
}
FxU16* guTexCreateColorMipMap(void) {
  return 0;
}
GrMipMapId_t guTexAllocateMemory(GrChipID_t, FxU8, int, int, GrTextureFormat_t, GrMipMapMode_t, GrLOD_t,
                                 GrLOD_t, GrAspectRatio_t, GrTextureClampMode_t, GrTextureClampMode_t,
                                 GrTextureFilterMode_t, GrTextureFilterMode_t, float, FxBool) {
  return GR_NULL_MIPMAP_HANDLE;
}
FxBool guTexChangeAttributes(GrMipMapId_t, int, int, GrTextureFormat_t, GrMipMapMode_t, GrLOD_t, GrLOD_t,
                             GrAspectRatio_t, GrTextureClampMode_t, GrTextureClampMode_t,
                             GrTextureFilterMode_t, GrTextureFilterMode_t) {
  return 0;
}
GrMipMapId_t guTexGetCurrentMipMap(GrChipID_t) {
  return GR_NULL_MIPMAP_HANDLE;
}
GrMipMapInfo* guTexGetMipMapInfo(GrMipMapId_t) {
  return 0;
}
FxU32 guTexMemQueryAvail(GrChipID_t) {
  return 0;
}
void guTexDownloadMipMap(GrMipMapId_t, const void*, const GuNccTable*) {}
void guTexDownloadMipMapLevel(GrMipMapId_t, GrLOD_t, const void**) {}
void guTexMemReset(void) {}
void guTexSource(GrMipMapId_t) {}
void guMPInit(void) {}
void guMPDrawTriangle(const GrVertex*, const GrVertex*, const GrVertex*) {}
void guMPTexSource(GrChipID_t, GrMipMapId_t) {}
void guMPTexCombineFunction(GrMPTextureCombineFnc_t) {}
void guFogGenerateExp(GrFog_t*, float) {}
void guFogGenerateExp2(GrFog_t*, float) {}
void guFogGenerateLinear(GrFog_t*, float, float) {}
float guFogTableIndexToW(int) {
  return 0;
}
FxU32 guEndianSwapWords(FxU32) {
  return 0;
}
FxU16 guEndianSwapBytes(FxU16) {
  return 0;
}
FxBool gu3dfGetInfo(const char*, Gu3dfInfo*) {
  return 0;
}
FxBool gu3dfLoad(const char*, Gu3dfInfo*) {
  return 0;
}
void guMovieStart(void) {}
void guMovieStop(void) {}
void guMovieSetName(const char*) {}
}
