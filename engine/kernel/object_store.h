// Object store: one kernel per map document, objects as bank blocks that
// start with an OBJectHead, addressed by handle.
#pragma once

#include "engine/kernel/kernel_types.h"

// Kernel
OBJectKernel *KernelNew();
int KernelDelete(OBJectKernel *kernel);
int32_t KernelSetEmptyFlag(OBJectKernel *kernel, int32_t flag);
int32_t KernGetEmptyFlag(OBJectKernel *kernel);
uint32_t KernGiveAllObjectsAmount(OBJectKernel *kernel);
uint32_t KernelGetHandlesCount(OBJectKernel *kernel);
OBJHANDLE KernelGetNextHandle(OBJectKernel *kernel, OBJHANDLE handle);

// Objects
OBJHANDLE CreateOBJect(OBJectKernel *kernel, uint16_t classId);
int32_t OBJectDelete(OBJectKernel *kernel, OBJHANDLE handle);
int32_t KillOBJect(OBJectKernel *kernel, OBJHANDLE handle);
OBJHANDLE ReSizeOBJect(OBJectKernel *kernel, OBJHANDLE handle, int32_t delta);
OBJHANDLE ReSizeOBJExported(OBJectKernel *kernel, OBJHANDLE handle, int32_t delta, int flag);
OBJHANDLE ReSizeOBJectData(OBJectKernel *kernel, OBJHANDLE handle, uint32_t n);
char *OBJectLock(OBJectKernel *kernel, OBJHANDLE handle);
OBJectHead *HeadLock(OBJectKernel *kernel, OBJHANDLE handle);
OBJectHead *OBJectSpaceBegin(char *fixedData);
OBJHANDLE GetOBJectHandle(OBJectKernel *kernel, const char *fixedData);
char *DataSpaceBegin(char *fixedData);
char *DataSpaceEnd(char *fixedData);
uint32_t DataSpaceSize(OBJectKernel *kernel, OBJHANDLE handle);
uint32_t HeadDataOffset(OBJectKernel *kernel, OBJHANDLE handle);
uint32_t HeadRefsOffset(OBJectKernel *kernel, OBJHANDLE handle);
uint32_t GetOBJectSize(OBJectKernel *kernel, OBJHANDLE handle);
uint32_t OBJectSizeBank(OBJectKernel *kernel, OBJHANDLE handle);
uint32_t TransferOBJectData(OBJectKernel *kernel, OBJHANDLE handle, void *buffer, uint32_t n, int write);
uint16_t SetOBJectFlag(OBJectKernel *kernel, OBJHANDLE handle, uint16_t mask, int set);
uint16_t GetOBJectFlag(OBJectKernel *kernel, OBJHANDLE handle, uint16_t mask);
int IsOBJectDeleted(OBJectKernel *kernel, OBJHANDLE handle);
int IsUndoneObj(OBJectKernel *kernel, OBJHANDLE handle);
uint16_t GetOBJectClassID(OBJectKernel *kernel, OBJHANDLE handle);
OBJectClassDescr *GetOBJectClassDescr(OBJectKernel *kernel, OBJHANDLE handle);
OBJectClassDescrKernel *GetOBJectClassDescrKernel(OBJectKernel *kernel, OBJHANDLE handle);
OBJectClassDescrKernel *GetOBJectClassKernelDescr(OBJectKernel *kernel, OBJHANDLE handle);
uint32_t GetNumberOfOBJectsKernel(OBJectKernel *kernel, uint16_t classId);
uint32_t GetNumberOfOBJects(uint16_t classId);
int KernelTimerCompactBank();
int ReadGormIni(uint16_t, void *);

// The switch that lets the one visible internal error show its box.
void EnableInternalErrorMessages();
void DisableInternalErrorMessages();
int GetStateInternalErrorMessages();

// Internal to the kernel: the store's reports.
void KernelInternalError(const char *text);
void KernelBadHandleError(OBJHANDLE handle);
// Shows "Unlegal reference number" when the switch is on.
void KernelVisibleInternalError(const char *text);
