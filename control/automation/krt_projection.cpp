#include "control/automation/krt_projection.h"

#include "control/automation/library_objects.h"
#include "control/automation/model_members.h"
#include "control/automation/object_ids.h"
#include "control/krt_geometry.h"
#include "control/krtmap_module.h"
#include "engine/view/dialogs/projections_dialog.h"
#include "engine/view/projection/datum_table.h"
#include "engine/view/projection/unit_table.h"
#include "platform/module.h"

#include <algorithm>
#include <cstring>

using namespace model;

namespace {

// GetUnitID looks through the unit identifiers from 0 up to this one.
constexpr int kLastUnitId = 255;

// A JPEG quality is 1 to 100.
int32_t ClampDegree(int32_t v) { return std::clamp(v, 1, 100); }
// The PNG codes keep the value's remainder after division by 4, with its
// sign: -1 stays -1, 6 becomes 2.
int32_t PngCode(int32_t v) { return v % 4; }

std::string UnitName(int32_t id)
{
    char buffer[100] = {};
    if (!UnitStringGet(id, 0, buffer, sizeof buffer))
        return {};
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

} // namespace

std::shared_ptr<const MemberTable> KrtProjection::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    auto self = [](O &o) -> KrtProjection & { return Self<KrtProjection>(o); };
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtProjection",
        .progId = "KrtLib.KrtProjection",
        .clsid = kKrtProjectionClsid,
        .dispatchIid = kIKrtProjectionIid,
        .interfaceName = "IKrtProjection",
        .members = {
            Prop(
                "InitialString", VT_BSTR, [self](O &o, C &c) { c.SetString(self(o).initialString); },
                [self](O &o, C &c) { self(o).SetInitialString(BstrToWindows1252(c.value().bstrVal)); }),
            Prop(
                "UnitBase", VT_I4, [self](O &o, C &c) { c.SetLong(self(o).tag.baseUnit); },
                [self](O &o, C &c) {
                    self(o).tag.baseUnit = c.value().lVal;
                    self(o).Update();
                }),
            Prop(
                "UnitTransformed", VT_I4, [self](O &o, C &c) { c.SetLong(self(o).tag.transformedUnit); },
                [self](O &o, C &c) {
                    self(o).tag.transformedUnit = c.value().lVal;
                    self(o).Update();
                }),
            Prop(
                "Path", VT_BSTR, [self](O &o, C &c) { c.SetString(self(o).path); },
                [self](O &o, C &c) { self(o).SetPath(BstrToWindows1252(c.value().bstrVal)); }),
            ReadOnly("Name", VT_BSTR, [self](O &o, C &c) { c.SetString(self(o).Name()); }),
            Method("GetDatumName", VT_BSTR, {VT_I4},
                   [](O &, C &c) {
                       std::string name;
                       DatumNameGet(c.Long(0), name);
                       c.SetString(name);
                   }),
            Method("GetDatumID", VT_I4, {VT_BSTR}, [](O &, C &c) { c.SetLong(DatumIDGet(c.String(0).c_str())); }),
            Method("Setup", VT_I4, {VT_I4}, [self](O &o, C &c) { c.SetLong(self(o).Setup(HWND(c.Long(0)))); }),
            Method("Forward", VT_I4, {VT_VARIANT, VT_VARIANT},
                   [self](O &o, C &c) { c.SetLong(self(o).Convert(c.Dispatch(0), c.Dispatch(1), true)); }),
            Method("Backward", VT_I4, {VT_VARIANT, VT_VARIANT},
                   [self](O &o, C &c) { c.SetLong(self(o).Convert(c.Dispatch(0), c.Dispatch(1), false)); }),
            Method("GetUnitName", VT_BSTR, {VT_I4}, [](O &, C &c) { c.SetString(UnitName(c.Long(0))); }),
            Method("GetUnitID", VT_I4, {VT_BSTR},
                   [](O &, C &c) {
                       const std::string wanted = c.String(0);
                       int32_t found = -1;
                       for (int32_t id = 0; id <= kLastUnitId && found < 0; ++id)
                           if (const std::string name = UnitName(id); !name.empty() && name == wanted)
                               found = id;
                       c.SetLong(found);
                   }),
            Method("IsValid", VT_BOOL, {}, [self](O &o, C &c) { c.SetBool(self(o).tag.hLib != 0); }),
            Method("SelectProjection", VT_BOOL, {VT_I4},
                   [self](O &o, C &c) { c.SetBool(self(o).SelectProjection(HWND(c.Long(0)))); }),
            Method("GetPathFromhLib", VT_BSTR, {}, [self](O &o, C &c) { c.SetString(self(o).ModuleFile()); }),
            Method("SetBaseCoordSystem", VT_EMPTY, {VT_I4},
                   [self](O &o, C &c) {
                       self(o).tag.baseKind = c.Long(0);
                       self(o).Update();
                   }),
            Method("GetBaseCoordSystem", VT_I4, {}, [self](O &o, C &c) { c.SetLong(self(o).tag.baseKind); }),
            Method("SetTransformedCoordSystem", VT_EMPTY, {VT_I4},
                   [self](O &o, C &c) {
                       self(o).tag.transformedKind = c.Long(0);
                       self(o).Update();
                   }),
            Method("GetTransformedCoordSystem", VT_I4, {},
                   [self](O &o, C &c) { c.SetLong(self(o).tag.transformedKind); }),
        },
    });
    return table;
}

KrtProjection::KrtProjection() : DispatchObject(Table()), lock_(KrtMapModule())
{
    ProjMan_InitProjection(&tag);
    tag.baseKind = CS_SPHERIC;
    tag.baseUnit = 6; // tenths of a second
    tag.baseDatum = 0;
    tag.transformedKind = CS_CARTESIAN;
    tag.transformedUnit = 4; // metre
    tag.transformedDatum = 0;
}

KrtProjection::~KrtProjection() { ProjMan_FreeProjection(&tag); }

std::string KrtProjection::FullModulePath(const std::string &path)
{
    if (path.find('/') != std::string::npos)
        return path;
    return ModuleFolderOf(reinterpret_cast<const void *>(&KrtMapModule)) + path;
}

void KrtProjection::ApplyInitialString()
{
    if (tag.hLib && tag.hInstanceData)
        tag.StringBasedSetup(tag.hInstanceData, initialString.c_str());
}

void KrtProjection::SetInitialString(const std::string &text)
{
    initialString = text;
    ApplyInitialString();
}

std::string KrtProjection::ParameterText()
{
    tagProjInfo info{};
    if (!tag.hLib || !ProjMan_GetProjInfo(&tag, &info))
        return {};
    info.text[sizeof info.text - 1] = 0;
    return info.text;
}

void KrtProjection::SetPath(const std::string &text)
{
    path = text;
    ProjMan_FreeProjection(&tag);
    if (!ProjMan_LoadProjection(FullModulePath(text).c_str(), &tag))
        return;
    if (!initialString.empty())
        ApplyInitialString();
    else
        initialString = ParameterText();
    ProjMan_UpdateScales(&tag, 1);
    ApplyInitialString();
}

void KrtProjection::Update()
{
    ProjMan_UpdateScales(&tag, 1);
    ApplyInitialString();
}

std::string KrtProjection::Name()
{
    char buffer[128] = {};
    if (tag.hLib)
        ProjMan_Identify(&tag, buffer, int(sizeof buffer - 1));
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

int32_t KrtProjection::Setup(HWND parent)
{
    if (!tag.hLib)
        return 0;
    ApplyInitialString();
    const int32_t result = ProjMan_Setup(parent, &tag);
    if (result) {
        tagProjInfo info{};
        if (ProjMan_GetProjInfo(&tag, &info)) {
            info.text[sizeof info.text - 1] = 0;
            initialString = info.text;
        }
    }
    return result;
}

bool KrtProjection::SelectProjection(HWND parent)
{
    if (!ProjMan_SelectProjection(&tag, parent))
        return false;
    if (tag.hLib) {
        tagProjInfo info{};
        if (ProjMan_GetProjInfo(&tag, &info)) {
            info.text[sizeof info.text - 1] = 0;
            initialString = info.text;
        }
    }
    return true;
}

int32_t KrtProjection::Convert(IDispatch *from, IDispatch *to, bool forward)
{
    KrtPoint *a = AsKrtPoint(from);
    KrtPoint *b = AsKrtPoint(to);
    if (!a || !b || !tag.hLib || !tag.hInstanceData)
        return 0;
    const MAP_COORDPT source{a->x, a->y};
    MAP_COORDPT target{b->x, b->y};
    (forward ? tag.Forward : tag.Backward)(tag.hInstanceData, &source, &target, 1);
    b->x = target.x;
    b->y = target.y;
    return 1;
}

std::string KrtProjection::ModuleFile() const
{
    if (!tag.hLib)
        return {};
    char buffer[260] = {};
    const DWORD n = GetModuleFileNameA(tag.hLib, buffer, sizeof buffer);
    return std::string(buffer, std::min<DWORD>(n, sizeof buffer));
}

// --- KrtExportParameters ---------------------------------------------------------

std::shared_ptr<const MemberTable> KrtExportParameters::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    auto self = [](O &o) -> KrtExportParameters & { return Self<KrtExportParameters>(o); };
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtExportParameters",
        .progId = "KrtLib.KrtExportParameters",
        .clsid = kKrtExportParametersClsid,
        .dispatchIid = kIKrtExportParametersIid,
        .interfaceName = "IKrtExportParameters",
        .members =
            {
                Prop(
                    "JpgCompressionDegree", VT_I4,
                    [self](O &o, C &c) { c.SetLong(self(o).jpgCompressionDegree); },
                    [self](O &o, C &c) { self(o).jpgCompressionDegree = ClampDegree(c.value().lVal); }),
                [self] {
                    MemberInfo m = Prop(
                        "PngExportMode", VT_I4, [self](O &o, C &c) { c.SetLong(self(o).pngExportMode); },
                        [self](O &o, C &c) { self(o).pngExportMode = PngCode(c.value().lVal); });
                    m.aliases = {"PNGExportMode"};
                    return m;
                }(),
                Prop(
                    "PngCompressionLevel", VT_I4,
                    [self](O &o, C &c) { c.SetLong(self(o).pngCompressionLevel); },
                    [self](O &o, C &c) { self(o).pngCompressionLevel = PngCode(c.value().lVal); }),
                Prop(
                    "DetailsLikeInOcxWindow", VT_BOOL,
                    [self](O &o, C &c) { c.SetBool(self(o).detailsLikeInOcxWindow); },
                    [self](O &o, C &c) {
                        self(o).detailsLikeInOcxWindow = c.value().boolVal != VARIANT_FALSE;
                    }),
            },
    });
    return table;
}

KrtExportParameters::KrtExportParameters() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtExportParameters::~KrtExportParameters() = default;

void KrtExportParameters::ToEngine(int16_t out[4]) const
{
    out[0] = int16_t(jpgCompressionDegree);
    out[1] = int16_t(pngExportMode);
    out[2] = int16_t(pngCompressionLevel);
    out[3] = int16_t(detailsLikeInOcxWindow ? 1 : 0);
}

KrtExportParameters *AsKrtExportParameters(IDispatch *object)
{
    return dynamic_cast<KrtExportParameters *>(object);
}
