// The page set-up of a map as automation objects: KrtPage (size, origin,
// orientation, margins, scale, paper, fitting, the printer's physical
// areas), KrtPaper (one paper type) and KrtPapers (the printer's paper
// types). A KrtPage works on a copy of the page set-up; the map changes only
// when the page is assigned to the control's Page property.
#pragma once

#include "control/automation/map_link.h"
#include "engine/window/page_setup/page_set.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>
#include <string>
#include <vector>

class KrtPaper : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtPaper();
    explicit KrtPaper(const CPaperType &paper);

    int32_t sizeX = 0;
    int32_t sizeY = 0;
    std::string name = " ";
    int32_t identifier = 0;
    bool custom = false;

protected:
    ~KrtPaper() override;

private:
    ModuleLock lock_;
};

class KrtPapers : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtPapers();
    explicit KrtPapers(const CPaperTypesArr &papers);

    // -1 when there are none.
    int32_t Count() const { return papers_.empty() ? -1 : int32_t(papers_.size()); }
    int32_t Custom() const { return custom_; }
    // The index the key names: a number in 0 .. count-1, or the first paper
    // whose name holds the text; -1 otherwise.
    int32_t FindIndex(const VARIANT &key) const;
    int32_t FindByName(const std::string &text) const;
    // A new copy of the paper at the index; null outside the list.
    IDispatch *Item(int32_t index) const;
    // The custom entry takes the paper's sizes when the key names it.
    void SetItem(const VARIANT &key, const KrtPaper &paper);

protected:
    ~KrtPapers() override;

private:
    std::vector<CPaperType> papers_;
    int32_t custom_ = -1;
    ModuleLock lock_;
};

class KrtPage : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    // Made by ProgID: no map, no page set-up.
    KrtPage();
    // A copy of the map's page set-up; none when the engine refuses it.
    explicit KrtPage(CMapCtrl *control);

    // The page set-up while its map lives; null otherwise.
    CPageSet *pageSet() const;
    // Writes the page set-up into its map; false when there is none.
    bool Apply();

    IDispatch *Paper() const;
    // Throws "Bad OLE type" unless the value is a KrtPaper.
    void SetPaper(IDispatch *value);
    // Rectangles of the page's printer: the printable area or the margins;
    // null without a valid printer.
    IDispatch *PrinterRect(bool margins, bool inPixels) const;

    // The engine's alignment codes of the automation AlignmentConstants.
    static int HorizontalCode(int32_t alignment);
    static int VerticalCode(int32_t alignment);

protected:
    ~KrtPage() override;

private:
    MapLink map_;
    std::unique_ptr<CPageSet> pageSet_;
    ModuleLock lock_;
};

KrtPaper *AsKrtPaper(IDispatch *object);
KrtPage *AsKrtPage(IDispatch *object);
