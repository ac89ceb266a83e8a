#include "engine/kernel/unimplemented.h"

#include "engine/kernel/debug_viewer.h"

#include <atomic>
#include <string>

int ReportUnimplemented(const char *declaration)
{
    DebugMessage((std::string("fn: ") + declaration + "\n").c_str());
    return 0;
}

namespace {

std::atomic<uint32_t> changeCounter{0};

} // namespace

int ChangeCounterBump()
{
    changeCounter.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

uint32_t ChangeCounterValue() { return changeCounter.load(std::memory_order_relaxed); }

// Each stub names its declaration as the engine's callers know it.

int TabletPtToScreen(HWND, POINT *, POINT *, LONG)
{
    ReportUnimplemented(
        "int __stdcall TabletPtToScreen(struct HWND__ *,struct tagPOINT *,struct tagPOINT *,long)");
    return 0;
}

int TabletPtToMap(HWND, _COORDPT *, POINT *, LONG)
{
    ReportUnimplemented(
        "int __stdcall TabletPtToMap(struct HWND__ *,struct _COORDPT *,struct tagPOINT *,long)");
    return 0;
}

int SBSetCellText(HWND, int, char *)
{
    ReportUnimplemented("int __stdcall SBSetCellText(struct HWND__ *,int,char *)");
    return 0;
}

int SBGetCellText(HWND, int, char *, int)
{
    ReportUnimplemented("int __stdcall SBGetCellText(struct HWND__ *,int,char *,int)");
    return 0;
}

int TextObjectTextGet(void *, char *, int)
{
    ReportUnimplemented("int __cdecl TextObjectTextGet(void *,char *,int)");
    return 0;
}

Z_BOUNDS *z_DeleteSubBounds(void *, void *, uint16_t)
{
    ReportUnimplemented("struct Z_BOUNDS * __stdcall z_DeleteSubBounds(void *,void *,unsigned short)");
    return nullptr;
}

int TextObjectLenGet(void *)
{
    ReportUnimplemented("int __stdcall TextObjectLenGet(void *)");
    return 0;
}

int TextObjectDisplay(HWND, HDC, void *, uint16_t, GraphDispl *)
{
    ReportUnimplemented("int __stdcall TextObjectDisplay(struct HWND__ *,struct HDC__ *,void *,unsigned "
                        "short,struct GraphDispl *)");
    return 0;
}

int TextObjectAutoAdjust(void *, HWND, uint16_t)
{
    ReportUnimplemented("int __stdcall TextObjectAutoAdjust(void *,struct HWND__ *,unsigned short)");
    return 0;
}

int TextObjectExtentSet(void *, HWND, uint16_t)
{
    ReportUnimplemented("int __stdcall TextObjectExtentSet(void *,struct HWND__ *,unsigned short)");
    return 0;
}

HINSTANCE GetTaskData(HINSTANCE *, HINSTANCE *, HTASK *, char *, int)
{
    ReportUnimplemented("struct HINSTANCE__ * __stdcall GetTaskData(struct HINSTANCE__ * *,struct "
                        "HINSTANCE__ * *,struct HTASK__ * *,char *,int)");
    return 0;
}

char chDec()
{
    ReportUnimplemented("char __stdcall chDec(void)");
    return 0;
}

int SBProgressStop(HWND, int)
{
    ReportUnimplemented("int __stdcall SBProgressStop(struct HWND__ *,int)");
    return 0;
}

int LegendUpdt(void *, HWND, int)
{
    ReportUnimplemented("int __stdcall LegendUpdt(void *,struct HWND__ *,int)");
    return 0;
}

int SBProgressUpdate(HWND, int, LONG)
{
    ReportUnimplemented("int __stdcall SBProgressUpdate(struct HWND__ *,int,long)");
    return 0;
}

int LegendOwnsDevPoint(void *, PresentationManager *, POINT *, _COORDPT *)
{
    ReportUnimplemented("int __stdcall LegendOwnsDevPoint(void *,struct PresentationManager *,struct "
                        "tagPOINT *,struct _COORDPT *)");
    return 0;
}

int LegendGet(HWND, void **, DWORD)
{
    ReportUnimplemented("int __stdcall LegendGet(struct HWND__ *,void * *,unsigned long)");
    return 0;
}

int TOPLOG(HWND, HWND, HWND *)
{
    ReportUnimplemented("int __stdcall TOPLOG (struct HWND__ *,struct HWND__ *,struct HWND__ * *)");
    return 0;
}

int ToolBoxCreate(HWND, HWND, HWND *)
{
    ReportUnimplemented("int __stdcall ToolBoxCreate(struct HWND__ *,struct HWND__ *,struct HWND__ * *)");
    return 0;
}

int ToolsDelete(void *, HWND)
{
    ReportUnimplemented("int __stdcall ToolsDelete(void *,struct HWND__ *)");
    return 0;
}

int MAP_SetToolbox(HWND, HWND)
{
    ReportUnimplemented("int __stdcall MAP_SetToolbox(struct HWND__ *,struct HWND__ *)");
    return 0;
}

int PrintPicture(HWND, void *, HDC, UINT)
{
    ReportUnimplemented("int __stdcall PrintPicture(struct HWND__ *,void *,struct HDC__ *,unsigned int)");
    return 0;
}

int LEGDATA_LOCK(void *)
{
    ReportUnimplemented("int __stdcall LEGDATA_LOCK(void *)");
    return 0;
}

int LegendSetFont(void *, char *, int)
{
    ReportUnimplemented("int __stdcall LegendSetFont(void *,char *,int)");
    return 0;
}

int LegendMoveVertex(void *, _COORDPT *, LONG, LONG)
{
    ReportUnimplemented("int __stdcall LegendMoveVertex(void *,struct _COORDPT *,long,long)");
    return 0;
}

LONG DstrEditPasteSpecial(HWND, LONG, char *, int)
{
    ReportUnimplemented("long __stdcall DstrEditPasteSpecial(struct HWND__ *,long,char *,int)");
    return 0;
}

int DDE_DoTerminate(HWND)
{
    ReportUnimplemented("int __stdcall DDE_DoTerminate(struct HWND__ *)");
    return 0;
}

HBITMAP ExportClipBitmapPgon(HWND, void *)
{
    ReportUnimplemented("struct HBITMAP__ * __stdcall ExportClipBitmapPgon(struct HWND__ *,void *)");
    return 0;
}

void *ExportClipMeta(HWND, void *)
{
    ReportUnimplemented("void * __stdcall ExportClipMeta(struct HWND__ *,void *)");
    return nullptr;
}

void *OnDstrAcClipFile(HWND, UINT, void **, DWORD)
{
    ReportUnimplemented(
        "void * __stdcall OnDstrAcClipFile(struct HWND__ *,unsigned int,void * *,unsigned long)");
    return nullptr;
}

char *OBJectSpaceBegin(void *)
{
    ReportUnimplemented("char * __stdcall OBJectSpaceBegin(void *)");
    return nullptr;
}

int SheetOpenFile(HWND, char *)
{
    ReportUnimplemented("int __stdcall SheetOpenFile(struct HWND__ *,char *)");
    return 0;
}

int TDLL_DestroyBuffer(void *)
{
    ReportUnimplemented("int __stdcall TDLL_DestroyBuffer(void *)");
    return 0;
}

DWORD TDLL_RetrieveObjects(HWND, void *, void **, DWORD, DWORD *, DWORD *, int, int, int, int)
{
    ReportUnimplemented("unsigned long __stdcall TDLL_RetrieveObjects(struct HWND__ *,void *,void * "
                        "*,unsigned long,unsigned long *,unsigned long *,int,int,int,int)");
    return 0;
}

DWORD TDLL_ProcessObjects(void *, LONG, LONG, LONG, int, int, int, int, int)
{
    ReportUnimplemented(
        "unsigned long __stdcall TDLL_ProcessObjects(void *,long,long,long,int,int,int,int,int)");
    return 0;
}

int TDLL_PrepareObjects(HWND, void *, void **, DWORD, LONG, int)
{
    ReportUnimplemented(
        "int __stdcall TDLL_PrepareObjects(struct HWND__ *,void *,void * *,unsigned long,long,int)");
    return 0;
}

void *TDLL_CreateBuffer()
{
    ReportUnimplemented("void * __stdcall TDLL_CreateBuffer(void)");
    return nullptr;
}

int SBHide(HWND)
{
    ReportUnimplemented("int __stdcall SBHide(struct HWND__ *)");
    return 0;
}

HWND SBNew(HWND, uint16_t, int, int, int, int)
{
    ReportUnimplemented("struct HWND__ * __stdcall SBNew(struct HWND__ *,unsigned short,int,int,int,int)");
    return 0;
}

int SBDelete(HWND)
{
    ReportUnimplemented("int __stdcall SBDelete(struct HWND__ *)");
    return 0;
}

int TextObjectCopy(void **, void *)
{
    ReportUnimplemented("int __stdcall TextObjectCopy(void * *,void *)");
    return 0;
}
