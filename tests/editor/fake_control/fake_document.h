// The document of the fake map control: objects, layers, groups, the
// selection, the page, the units and the undo history, kept in plain
// values. Every change that the real control records as an undo entry is
// recorded here as a snapshot of the objects and the selection.
#pragma once

#include "platform/automation_variant.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

using DISPID = int32_t;

namespace fake {

struct Pt {
    int32_t x = 0;
    int32_t y = 0;
};

struct LineStyleData {
    int32_t color = 0;
    int32_t width = 1;
    bool widthInUnits = false;
    int32_t style = 0;
};

// The page layer's number, reserved for it.
constexpr int32_t kPageLayerNumber = 2147483647;

struct LayerData {
    std::string name = "NoName";
    int32_t number = -1;
    bool visible = true;
    bool selectable = true;
    bool active = false;
    bool noFillColor = false;
    int32_t fillColor = 0xFFFFFF;
    int32_t transparency = 0;
    int32_t order = 0;
    int32_t fillHatch = 0;
    double visibleFromScale = 0;
    double visibleToScale = 0;
    LineStyleData lineStyle;
};

struct TextData {
    std::string text;
    Pt position;
    std::string fontName = "Arial";
    int32_t size = 10;
    int32_t color = 0;
    bool useLayerColor = true;
    int32_t horizontalAlignment = 0;
    int32_t verticalAlignment = 3;
    int32_t lockTo = 1;
    int32_t escapement = 0;
    bool isDerivedFromID = false;
};

struct RasterData {
    std::string fileName;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t clipMode = 0;
    double rasterScale = 1;
    double resolutionX = 0;
    double resolutionY = 0;
    int32_t fileFormat = 0;
};

struct PaperData {
    std::string name;
    int32_t identifier = 0;
    int32_t sizeX = 0; // tenths of a millimetre
    int32_t sizeY = 0;
};

struct PageData {
    int32_t width = 0;
    int32_t height = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    bool isPortrait = false;
    int32_t marginLeft = 100;
    int32_t marginRight = 100;
    int32_t marginTop = 100;
    int32_t marginBottom = 100;
    double scale = 1000;
    bool hasPaper = true;
    PaperData paper;
    // Width and height from the paper, its orientation and the scale.
    void FollowPaper();
};

// The papers every page offers.
const std::vector<PaperData> &Papers();

struct Obj {
    int32_t type = 0;
    int32_t layer = 0; // the layer's handle
    int32_t group = 0; // the group it belongs to; for a layer, its theme group
    std::string primaryId;
    std::string secondaryId;
    int32_t primaryLabel = 0;
    int32_t secondaryLabel = 0;
    std::vector<Pt> points;
    bool isPolyline = true;
    TextData text;
    LayerData layerData;
    std::string groupName;
    RasterData raster;
};

struct State {
    std::map<int32_t, Obj> objects; // by handle, in the order made
    std::vector<int32_t> selection; // in the order selected
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty = true;
    void Add(Pt p);
    void Add(const Rect &r);
};

class Document {
public:
    Document();

    State state;
    PageData page;
    // Map base unit, transformed unit (both metres in a new map), length
    // and area unit, by the control's kinds 1 to 4; null for another kind.
    int32_t baseUnit = 4;
    int32_t transformedUnit = 4;
    int32_t lengthUnit = 5;
    int32_t areaUnit = 30;
    int32_t *Unit(int32_t kind)
    {
        int32_t *units[] = {&baseUnit, &transformedUnit, &lengthUnit, &areaUnit};
        return kind >= 1 && kind <= 4 ? units[kind - 1] : nullptr;
    }
    bool modified = false;
    int32_t command = 0;
    bool pasteHerePending = false;
    bool offscreenDrawing = true;
    // The view: map units per pixel and the map point of the top-left pixel.
    double viewScale = 10;
    int32_t viewLeft = 0;
    int32_t viewTop = 10000;
    int32_t root = 0;
    // The hidden layer that holds the page object, and the page object.
    int32_t pageLayer = 0;
    int32_t pageObject = 0;
    // What the raster adds tried, as "2,0,3".
    std::string rasterTries;
    // The next call of the control throws this error (0: none).
    int32_t failNextCode = 0;
    std::string failNextText;
    // Saves write half a file and fail.
    bool saveFails = false;

    // Events go out through this while the control lives.
    std::function<void(DISPID, std::vector<Variant>)> fire;
    void Fire(DISPID id, std::vector<Variant> args);

    const Obj *Find(int32_t handle) const;
    Obj *Find(int32_t handle);
    int32_t NewHandle() { return next_++; }
    int32_t ActiveLayer() const;
    bool IsSelected(int32_t handle) const;
    // Selection changes raise SelectionChanged when something changed.
    void Select(int32_t handle, bool on);
    void DeselectAll();

    // Undo: a change records the state before it, once per open step.
    void BeginChange();
    void EndChange(int32_t code);
    void BeginStep();
    void EndStep(int32_t code);
    // Forgets every step and reports empty captions.
    void ClearSteps();
    bool Undo();
    bool Redo();

    // Adds an object (made by the caller) and raises ObjectAddEvent.
    int32_t Add(Obj obj);
    // Removes an object with its layer's members and its labels.
    bool Remove(int32_t handle);
    // Members of a layer (objects on it) or a group (its objects, and the
    // layers of a theme).
    std::vector<int32_t> LayerMembers(int32_t layer) const;
    std::vector<int32_t> GroupMembers(int32_t group) const;
    // The layers, the page layer last.
    std::vector<int32_t> Layers() const;
    // The number a layer gets when it asks for `asked`: layer numbers are
    // unique in a map and the page layer's is its own, so a negative, taken
    // or reserved number becomes one above the largest ordinary number.
    int32_t LayerNumberFor(int32_t asked, int32_t layer) const;
    std::vector<int32_t> MapObjects() const;
    Rect Bounds(int32_t handle) const;
    double Area(int32_t handle) const;
    double Length(int32_t handle) const;
    int32_t Label(int32_t handle, const std::string &text);

private:
    void FireCaptions();
    struct Step {
        State state;
        int32_t code = 0;
    };
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    int stepDepth_ = 0;
    bool stepRecorded_ = false;
    int32_t next_ = 1;
};

} // namespace fake
