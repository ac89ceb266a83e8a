#include "control/automation/krt_text.h"

#include "control/automation/engine_bridge.h"
#include "control/automation/library_objects.h"
#include "control/automation/member_helpers.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "engine/kernel/references.h"

namespace m = automation_members;

namespace {

// References of a text made from an identifier's primary or secondary text.
constexpr uint16_t kRefFromPrimaryId = 0x840A;
constexpr uint16_t kRefFromSecondaryId = 0x840C;

// A two-bit field of the flags word: get gives its value, put takes `codes`
// (value to store per answer), anything else giving 0.
MemberInfo FlagField(const char *name, int shift, std::initializer_list<std::pair<int32_t, int32_t>> putCodes,
                     std::initializer_list<int32_t> getAnswers)
{
    const std::vector<std::pair<int32_t, int32_t>> puts(putCodes);
    const std::vector<int32_t> answers(getAnswers);
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_I4,
            .get =
                [shift, answers](DispatchObject &o, MemberCall &c) {
                    const size_t bits = (m::As<KrtText>(o).flags >> shift) & 3;
                    c.SetLong(bits < answers.size() ? answers[bits] : int32_t(bits));
                },
            .put =
                [shift, puts](DispatchObject &o, MemberCall &c) {
                    int32_t bits = 0;
                    for (const auto &[given, stored] : puts)
                        if (c.value().lVal == given)
                            bits = stored;
                    uint16_t &f = m::As<KrtText>(o).flags;
                    f = uint16_t((f & ~(3u << shift)) | (uint32_t(bits) << shift));
                }};
}

} // namespace

std::shared_ptr<const MemberTable> KrtText::Table()
{
    static const auto
        table =
            LibraryTable(
                ClassInfo{
                    .className = "KrtText",
                    .progId = "KrtLib.KrtText",
                    .clsid = kKrtTextClsid,
                    .dispatchIid = kIKrtTextIid,
                    .interfaceName = "IKrtText",
                    .members =
                        {
                            m::Long("hObject", &KrtText::hObject),
                            {.name = "hLayer",
                             .kind = MemberKind::Property,
                             .type = VT_I4,
                             .get = [](DispatchObject &o,
                                       MemberCall &c) { c.SetLong(int32_t(m::As<KrtText>(o).hLayer)); },
                             .put =
                                 [](DispatchObject &o, MemberCall &c) {
                                     KrtText &self = m::As<KrtText>(o);
                                     self.hLayer = OBJHANDLE(c.value().lVal);
                                     if (CMapCtrl *control = self.map.control(); control && self.hObject)
                                         MoveObjectToLayer(*control, self.hObject, self.hLayer);
                                 }},
                            m::Position("Position", &KrtText::x, &KrtText::y),
                            [] {
                                MemberInfo text = m::VariantText("Text", &KrtText::text);
                                text.isDefault = true;
                                return text;
                            }(),
                            m::Font("Font", &KrtText::font),
                            m::Long("Color", &KrtText::color),
                            FlagField("HorizontalAlignment", 0, {{1, 1}, {2, 2}}, {0, 1, 2}),
                            FlagField("VerticalAlignment", 2, {{mc_AlignCenter, 1}, {mc_AlignBottom, 2}},
                                      {mc_AlignTop, mc_AlignCenter, mc_AlignBottom}),
                            FlagField("LockTo", 4, {{1, 1}, {2, 2}}, {0, 1, 2}),
                            m::Long("Rotation", &KrtText::rotation),
                            m::Long("Escapement", &KrtText::escapement),
                            {.name = "UseLayerColor",
                             .kind = MemberKind::Property,
                             .type = VT_BOOL,
                             .get = [](DispatchObject &o,
                                       MemberCall &c) { c.SetBool(m::As<KrtText>(o).ownColour == 0); },
                             .put =
                                 [](DispatchObject &o, MemberCall &c) {
                                     m::As<KrtText>(o).ownColour = c.value().boolVal == VARIANT_FALSE;
                                 }},
                            m::ReadOnly({.name = "IsDerivedFromID",
                                         .kind = MemberKind::Property,
                                         .type = VT_BOOL,
                                         .get =
                                             [](DispatchObject &o, MemberCall &c) {
                                                 const KrtText &self = m::As<KrtText>(o);
                                                 if (!self.map.bound()) {
                                                     c.SetBool(true);
                                                     return;
                                                 }
                                                 OBJectKernel *kernel = self.map.kernel();
                                                 bool derived = false;
                                                 for (uint16_t ref :
                                                      {kRefFromPrimaryId, kRefFromSecondaryId}) {
                                                     int32_t pos = -1;
                                                     if (kernel && self.hObject &&
                                                         FirstReference(kernel, self.hObject, ref, &pos))
                                                         derived = true;
                                                 }
                                                 c.SetBool(derived);
                                             }}),
                            {.name = "Size",
                             .kind = MemberKind::Property,
                             .type = VT_I4,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) { c.SetLong(m::As<KrtText>(o).size); },
                             .put =
                                 [](DispatchObject &o, MemberCall &c) {
                                     KrtText &self = m::As<KrtText>(o);
                                     self.size = self.font.size = c.value().lVal;
                                 }},
                            {.name = "FontName",
                             .kind = MemberKind::Property,
                             .type = VT_BSTR,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) {
                                     c.SetString(m::As<KrtText>(o).faceName);
                                 },
                             .put =
                                 [](DispatchObject &o, MemberCall &c) {
                                     KrtText &self = m::As<KrtText>(o);
                                     self.faceName = self.font.face = BstrToWindows1252(c.value().bstrVal);
                                 }},
                            {.name = "FontStyle",
                             .kind = MemberKind::Property,
                             .type = VT_I2,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) {
                                     c.SetShort(int16_t(m::As<KrtText>(o).fontStyle));
                                 },
                             .put =
                                 [](DispatchObject &o, MemberCall &c) {
                                     KrtText &self = m::As<KrtText>(o);
                                     self.fontStyle = self.font.style = uint16_t(c.value().iVal);
                                 }},
                            {.name = "CharSet",
                             .kind = MemberKind::Property,
                             .type = VT_I2,
                             .get =
                                 [](DispatchObject &o, MemberCall &c) {
                                     c.SetShort(m::As<KrtText>(o).charSet);
                                 },
                             .put =
                                 [](DispatchObject &o, MemberCall &c) {
                                     KrtText &self = m::As<KrtText>(o);
                                     self.charSet = self.font.charSet = c.value().iVal;
                                 }},
                        },
                });
    return table;
}

KrtText::KrtText() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtText::~KrtText() = default;
