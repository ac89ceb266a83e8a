// The platform's standard font object, made by the ProgID "StdFont": a
// font description with the standard font properties, reached by dispatch
// (Name 0, Size 2 in points as a currency value, Bold 3, Italic 4,
// Underline 5, Strikethrough 6, Weight 7, Charset 8).
#pragma once

#include "platform/automation_dispatch.h"

#include <QString>
#include <memory>

inline constexpr CLSID CLSID_StdFont = {
    0x0BE35203, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr IID IID_IFontDisp = {
    0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr const char *kStdFontProgId = "StdFont";

// Dispatch ids of the standard font properties.
enum StdFontDispid : DISPID {
    DISPID_FONT_NAME = 0,
    DISPID_FONT_SIZE = 2,
    DISPID_FONT_BOLD = 3,
    DISPID_FONT_ITALIC = 4,
    DISPID_FONT_UNDER = 5,
    DISPID_FONT_STRIKE = 6,
    DISPID_FONT_WEIGHT = 7,
    DISPID_FONT_CHARSET = 8,
};

class StdFont : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    StdFont();

    QString name = QStringLiteral("Arial");
    CY size{100000}; // ten-thousandths of a point
    int16_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int16_t charset = 0;

protected:
    ~StdFont() override;
    // Answers IFontDisp as its dispatch interface too.
    void *FindInterface(const IID &iid) override;
};
