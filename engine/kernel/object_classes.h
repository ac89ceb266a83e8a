// Object classes: the process-wide class table, and the delivery of messages
// to one object or along its references.
#pragma once

#include "engine/kernel/kernel_types.h"

#include <memory>

// Registry
int RegisterOBJectClass(uint16_t classId, uint32_t fixedSize, int32_t slots, uint32_t reserve,
                        OBJectCompareProc compare, OBJectClassProc proc, uint16_t mode, const char *name);
int IsClassRegistered(uint16_t classId);
uint16_t GetClassId(int classIndex);
int GetNumberOfClasses();
int GetClassDescrSize();
OBJectClassProc GetOBJectClassFN(uint16_t classId);
OBJectClassProc SetOBJectClassFN(uint16_t classId, OBJectClassProc proc);

// Internal to the kernel: the table entry of a class index (null when out of
// range) and the index of a class id (-1 when unregistered).
OBJectClassDescr *ClassDescrByIndex(uint32_t classIndex);
int ClassIndexOf(uint16_t classId);
// Totals over all classes and kernels.
struct OBJectGlobalCounters {
    uint32_t objects;
    uint32_t deleted;
    uint32_t undoCopies;
};
OBJectGlobalCounters &GlobalObjectCounters();

// The whole class table, saved and put back: lets a test register classes
// of its own without disturbing the process's table.
struct OBJectClassTableState;
std::shared_ptr<OBJectClassTableState> SaveClassTable();
void RestoreClassTable(const std::shared_ptr<OBJectClassTableState> &state);
void ClearClassTable();

// Messages
LRESULT SendOBJectMessage(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                          uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT PropagateOBJectMessage(OBJectKernel *kernel, OBJHANDLE holder, uint16_t filter, uint16_t message,
                               WPARAM wParam, LPARAM lParam);
LRESULT SendOneOBJectMessage(OBJectKernel *kernel, OBJHANDLE holder, int last, uint16_t filter,
                             uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT BranchOBJectMessage(OBJectKernel *kernel, OBJHANDLE start, int last, uint16_t filter,
                            uint16_t message, uint16_t wParam, LPARAM lParam);
