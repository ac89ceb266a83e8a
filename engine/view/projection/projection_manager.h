// The projection manager: the projection record that heads every view
// record, the list of installed modules, loading, binding, copying, scales
// and the direction of conversion.
#pragma once

#include "engine/view/projection/projection_module.h"

#include <string>

// One loaded projection. Entries never hold null: a slot that no module
// supplies points at a placeholder of the slot's signature.
struct ProjectionTag {
    HMODULE hLib;          // 0 = no projection
    HGLOBAL hInstanceData; // the module's state, plain data
    ProjConvertProc Forward;
    ProjConvertProc Backward;
    ProjSetupProc Setup;
    ProjConstructorProc Constructor;
    ProjDestructorProc Destructor;
    ProjIdentifyProc Identify;
    ProjSetScaleProc SetForwardScale;
    ProjSetScaleProc SetBackwardScale;
    ProjGetProjInfoProc GetProjInfo;
    ProjStringBasedSetupProc StringBasedSetup;
    int32_t baseKind;
    int32_t baseUnit;
    int32_t baseDatum;
    int32_t transformedKind;
    int32_t transformedUnit;
    int32_t transformedDatum;
    int32_t areaUnit;
    int32_t lengthUnit;
    uint32_t reserved[2]; // always cleared
};

inline constexpr const char *kProjectionWarningCaption = "Projection Manager Warning";
// The engine settings key and its subkey that lists the installed modules:
// each value's data is a module's file name in the modules folder.
inline constexpr const char *kEngineSettingsKey = "Software\\KRT\\Gorm 8.0";
inline constexpr const char *kProjectionsSubkey = "Projections";

int ProjMan_InitProjection(ProjectionTag *tag);
int ProjMan_SetInternalDynamicFunctions(ProjectionTag *tag);
void ProjMan_SetDefaultUnits(ProjectionTag *tag);
// Loads a registered module by the file name part of the path, always from
// the modules folder; 1 loaded, 0 not registered, not loadable or lacking
// one of the ten entries (with the binding warning; the module is freed).
// On 0 the record is unchanged.
int ProjMan_LoadProjection(const char *path, ProjectionTag *tag);
int ProjMan_FreeProjection(ProjectionTag *tag);
int ProjMan_SetProjectionDynamicFunctions(ProjectionTag *tag);
// 0 when Forward and Backward were exchanged (base cartesian, transformed
// spheric), else 1.
int ProjMan_SetBackwardAndForwardFunctions(ProjectionTag *tag);
// Passes the unit factors and the datums to the module; each datum goes with
// the factor of its own system, also after an exchange.
int ProjMan_UpdateScales(ProjectionTag *tag, int notExchanged);
// The destination reloads the source's module by the file name it was
// loaded by (through the same checks as a load) and gets a copy of its state;
// 0 when that load failed (the destination's module unchanged).
int ProjMan_CopyProjection(ProjectionTag *destination, const ProjectionTag *source);
int ProjMan_Setup(HWND parent, ProjectionTag *tag);
int ProjMan_Identify(ProjectionTag *tag, char *buffer, int length);
int ProjMan_GetProjInfo(ProjectionTag *tag, tagProjInfo *info);
int ProjMan_Warning(const char *text);
// The placeholder entry: warns and returns 0.
int ProjMan_dummy();
// A movable block of (display name, 0, full path, 0) pairs and a final 0;
// 0 when no module was found. The caller frees it.
HGLOBAL ProjMan_GetProjectionList();

// The folder projection and utm modules are loaded from, with a trailing
// "/": the folder named by MAP_MODULES_DIR in the environment when set, else
// "modules/" beside the engine library, else the build's modules folder (the
// engine linked into a program elsewhere).
std::string ProjectionModulesFolder();
// True when the file name is a bare name listed under "Projections".
bool IsRegisteredProjectionModule(const std::string &fileName);
// The bare file name the record's module was loaded by; empty without one.
// The module's file is that name in ProjectionModulesFolder().
std::string ProjectionModuleFileName(const ProjectionTag *tag);
