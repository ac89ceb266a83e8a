// The tool catalogue: every tool id's caption, hint, glyph and function
// group, the glyph list of the editor, and the fixed catalogue index table
// by whose positions tool bars, menus and shortcuts are stored.
#pragma once

#include <QDialog>
#include <QPixmap>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/shell/support/int_list.h"

class QMenu;
class QTabWidget;
class TToolItem;

// Function groups offered for shortcuts (0: not offered).
inline constexpr int32_t kGroupNone = 0;
inline constexpr int32_t kGroupDrawingTools = 1;
inline constexpr int32_t kGroupLayerTools = 2;
inline constexpr int32_t kGroupMapOperations = 3;
inline constexpr int32_t kGroupOthers = 4;
// The caption of a function group; empty for 0 and unknown groups.
std::string GroupCaption(int32_t group);

// One catalogue entry.
struct TToolData {
    uint8_t Id = 0;
    QPixmap Glyph;           // null when the entry has no glyph
    int32_t GlyphNumber = 0; // 0: none
    std::string Hint;
    std::string Caption;
    int32_t Group = kGroupNone;
};

// The catalogue's entries in registration order.
class TButtons {
public:
    // glyphOf gives the picture of a glyph number (null when absent).
    explicit TButtons(std::function<QPixmap(int32_t)> glyphOf = {});

    void AddData(uint8_t id, int32_t glyphNumber, int32_t group, const std::string &caption,
                 const std::string &hint);
    // The first entry with the id. An id without an entry is a trace error
    // and yields the last entry (an empty one while the catalogue is empty).
    const TToolData &FindData(uint8_t id) const;
    // The first entry with the glyph number, null when none.
    const TToolData *FindByGlyph(int32_t glyphNumber) const;
    // Its tool id, 0 when none.
    uint8_t ToolOfGlyph(int32_t glyphNumber) const;
    bool HasData(uint8_t id) const;

    int Count() const { return int(entries_.size()); }
    const TToolData &Item(int index) const { return *entries_.at(size_t(index)); }

private:
    std::function<QPixmap(int32_t)> glyphOf_;
    std::vector<std::unique_ptr<TToolData>> entries_;
};

// Catalogue index table: position -> tool id. Position 0 is the divider;
// position 4 holds no tool.
inline constexpr int kCatalogueIndexCount = 108;
inline constexpr int kUnusedCataloguePosition = 4;
extern const std::array<uint8_t, kCatalogueIndexCount> kCatalogueIndex;
// Lite glyph table of the fixed tool bar: position -> tool id; the lite
// glyph of an id is 1100 + its first position.
inline constexpr int kLiteGlyphCount = 56;
inline constexpr int32_t kFirstLiteGlyph = 1100;
extern const std::array<uint8_t, kLiteGlyphCount> kLiteGlyphTools;

// Whether the command of a tool id is built in this program. Every tool has
// its catalogue entry, but the commands not built yet are disabled (grey
// buttons and menu items, inert shortcuts) instead of doing nothing. The
// one table of them is in the catalogue's source.
bool IsToolBuilt(uint8_t id);

// The position a stored pair of characters names: -1 when the pair is not
// two hexadecimal digits, is 108 or above, or is the unused position 4.
int CataloguePositionOfPair(const std::string &text, size_t at);
// The positions of a stored string's pairs from character `from` on, bad
// pairs skipped; an odd last character is ignored.
std::vector<int> CataloguePositionsOfString(const std::string &text, size_t from);
// Two upper-case hexadecimal digits.
std::string CataloguePositionText(int position);

// The catalogue form: holds every glyph of the editor on its tab pages and
// the catalogue. Shown to the user only while the tool bars are customised.
class TfrmButtons : public QDialog {
public:
    explicit TfrmButtons(QWidget *parent = nullptr);
    ~TfrmButtons() override;

    const TButtons &Buttons() const { return buttons_; }
    const TToolData &ToolData(uint8_t id) const { return buttons_.FindData(id); }
    std::string ToolCaption(uint8_t id) const { return buttons_.FindData(id).Caption; }

    // Glyph number -> picture; null when there is none.
    QPixmap Glyph(int32_t number) const;
    // The 28-pixel glyph of a tool of the lite glyph table; null for others.
    QPixmap LiteGlyph(uint8_t id) const;
    // A bitmap twice as wide: the glyph, then its disabled look (each
    // channel c becomes c + 96 when c <= 100, else 196; alpha kept).
    static QPixmap MakeButtonGlyph(const QPixmap &glyph);

    // The tool id at a position; 0 outside the table.
    static uint8_t ToolOfIndex(int position);
    // The first position of the id; -1 with a trace problem when absent.
    static int IndexOfTool(uint8_t id);

    // Caption, hint and glyph from the catalogue; the item's id; a click
    // goes to ClickTarget with the item as sender.
    void SetMenuItem(TToolItem *item, uint8_t id) const;
    // One item per id; 0 gives a separator.
    void AddMenuItems(QMenu *menu, const std::vector<uint8_t> &ids) const;
    // One item per stored pair of hexadecimal digits (a catalogue
    // position; 00 a separator); bad pairs and position 4 are skipped.
    void AddMenuItemsFromString(QMenu *menu, const std::string &positions) const;

    // The main window's tool dispatcher.
    std::function<void(QObject *sender)> ClickTarget;
    // Called when the user closes the form (leaves customise mode).
    std::function<void()> OnClosed;

    // The glyph numbers the form holds, ascending.
    const TIntList &GlyphNumbers() const { return glyphNumbers_; }
    // The widget that takes dropped controls to be removed.
    QWidget *DisposalPanel() const { return disposal_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildGlyphPages();
    void BuildCatalogue();
    void ShowCatalogueEntries();

    TIntList glyphNumbers_;
    std::vector<void *> glyphButtons_;
    TButtons buttons_;
    QTabWidget *pages_ = nullptr;
    QWidget *disposal_ = nullptr;
};
