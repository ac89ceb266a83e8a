// The editor's wrapper of one open map document: it owns one map control on
// the document's tab, turns the control's events into the numbered map
// events that tools, forms and the main window subscribe to, and offers the
// map operations (objects, layers, groups, selection, texts, page, units,
// undo steps, engine import and export, the sector store of hidden values).
#pragma once

#include "editor/shell/map/krt_control.h"
#include "editor/shell/map/krt_list.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPMap;

// The map events.
enum TMapEvent : int {
    meNone = 0,
    meMouse = 1,
    meSelectionChanged = 2,
    meContentChanged = 3,
    meLayerDeleting = 4,
    meLayerDeleteRefused = 5,
    meObjectsRemoved = 6,
    meActiveLayerChanged = 7,
    meLayerListChanged = 8,
    meSaving = 9,
    meSaved = 10,
    mePrinting = 11,
    mePageScaleChanged = 12,
    mePaperChanged = 13,
    meClosing = 14,
    meCommandChanged = 15,
    mePasteHerePlaced = 16,
};

// Layer numbers with a meaning of their own.
inline constexpr int32_t kPenParkingLayer = 99;
inline constexpr int32_t kPageOutlineLayer = 2147483647;
// The kinds of the control's undo/redo caption report.
inline constexpr int32_t kNextUndoReport = 3;
inline constexpr int32_t kNextRedoReport = 4;

// A listener: a method code and its object. The code is the same for one
// method whatever object it is called on.
using TMapListenerCode = void (*)(void *data, TPMap &sender);

struct TMouseEventArgs {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t EventId = 0;
    int32_t Flags = 0;
};

struct TLayerEventArgs {
    IKrtObject Layer;
    int32_t Number = -1;
    std::string Name;
};

// The subscriptions of one map's events, in subscription order.
class TEventRegistry {
public:
    explicit TEventRegistry(TPMap &owner) : owner_(owner) { numbers_.SetAllowDuplicates(true); }
    // Refused (false) when the same code is already subscribed to the number,
    // whatever its object.
    bool Subscribe(int number, TMapListenerCode code, void *data);
    // Calls the listeners of the number subscribed when the fire starts,
    // unless the number is held.
    void Fire(int number);
    // Forgets every subscription of an object that goes before the map.
    void Unsubscribe(void *data);
    int Held = 0;

private:
    struct Listener {
        TMapListenerCode code;
        void *data;
    };
    TPMap &owner_;
    TIntList numbers_; // in step with listeners_
    std::vector<Listener> listeners_;
};

class TPMap : private IMapEvents {
public:
    // Creates the control (by class id) on the tab and gives the document its
    // units, page defaults and pen-parking layer. Throws ControlException.
    explicit TPMap(QWidget *tab, const CLSID &controlClass = kMapControlClsid);
    ~TPMap() override;
    TPMap(const TPMap &) = delete;
    TPMap &operator=(const TPMap &) = delete;

    const IMap &Control() const { return control_; }
    // The control's widget on the tab, or null.
    QWidget *Widget() const { return control_.Widget(); }

    std::string FileName;
    bool ReadOnly = false;
    TEventRegistry Registry{*this};
    std::function<void(TPMap &, double)> OnScaleChanged;
    std::function<void(TPMap &, int32_t, int32_t)> OnProgress;
    std::function<void(TPMap &, int32_t, int32_t)> OnUndoRedoCaption;
    std::function<void(TPMap &)> OnHelpCall;
    std::function<void(TPMap &)> OnObjectAdded;
    std::function<void(TPMap &, const std::string &)> OnMessage;
    TMouseEventArgs MouseArgs;
    TLayerEventArgs LayerArgs;
    int32_t Command = 0;
    // The operation codes of the steps Undo and Redo would take next in this
    // document, as the control last reported them (0: none).
    int32_t NextUndoCode = 0;
    int32_t NextRedoCode = 0;
    bool LayerDeleteRefused = false;
    TLayerStates LayerStates{*this};
    std::array<bool, 34> SelectionTypes{};
    bool PasteHerePending = false;

    // --- Events ---
    bool Subscribe(int number, TMapListenerCode code, void *data)
    {
        return Registry.Subscribe(number, code, data);
    }
    // Subscribes a member function of an object; one code per method.
    template <auto Method, class T>
    bool Subscribe(int number, T *object)
    {
        return Registry.Subscribe(number, &Trampoline<Method, T>, object);
    }
    void FireEvent(int number) { Registry.Fire(number); }
    void HoldEvent(int number) { Registry.Held = number; }
    void Closing() { FireEvent(meClosing); }

    // --- Commands ---
    int32_t SetCommand(int32_t command);
    int32_t RunCommand(int32_t command) { return control_.Command(command); }
    void SetMouseArgs(int32_t x, int32_t y, int32_t eventId, int32_t flags);
    void SetLayerArgs(const IKrtObject &layer);

    // --- Documents ---
    bool Open(const std::string &fileName);
    bool Save(const std::string &fileName);

    // --- Control event handlers ---
    void MouseEvent(int32_t x, int32_t y, int32_t eventId, int32_t flags) override;
    void SelectionChanged(int32_t count) override;
    void DisplayScaleChanged(double scale) override;
    void Progress(int32_t operationId, int32_t progress) override;
    void UndoRedoCaption(int32_t undoOrRedo, int32_t tool) override;
    void HelpCall(int32_t helpId) override;
    void ObjectAdd();

    // --- Objects ---
    IKrtObject AddObject(const KrtDispatch &object);
    IKrtObject AddPoly(const IKrtPoly &poly, const IKrtObject &layer);
    IKrtObject AddText(const IKrtText &text, const IKrtObject &layer);
    using TFontSpec = ::TFontSpec;
    IKrtObject NewText(const std::string &text, int32_t x, int32_t y, const TFontSpec *font,
                       const IKrtObject &layer);
    IKrtObject NewSymbol(char character, int32_t x, int32_t y, int32_t size, const IKrtObject &layer);
    bool IsSymbolText(const IKrtObject &object) const;
    IKrtObject NewGroup();
    IKrtObject CopyObject(const IKrtObject &object);
    IKrtObject CopyRaster(const IKrtObject &raster);
    IKrtObject AddRaster(const IKrtRaster &raster);
    IKrtObject AddRasterOnLayer(const IKrtRaster &raster, const IKrtObject &layer);
    bool DeleteObject(const IKrtObject &object);
    IKrtObject GetObject(int32_t handle) const;
    IKrtObject FindObject(const std::string &identifier) const;
    void ZoomToObject(const IKrtObject &object, int steps);
    bool IsBlank() const;
    bool InMapBounds(int32_t x, int32_t y) const;

    // --- Layers ---
    int32_t NextLayerNumber() const;
    IKrtObject DoAddLayer(const IKrtLayer &layer, int32_t number);
    IKrtObject AddLayer(const IKrtLayer &layer, int32_t number) { return DoAddLayer(layer, number); }
    IKrtObject NewLayer(const std::string &name, int32_t number);
    IKrtObject NewLayerAt(const std::string &name, int32_t order);
    int32_t RenumberLayer(const IKrtObject &object);
    int32_t SetLayerOrder(const IKrtObject &object, int32_t order);
    IKrtObject GetActiveLayer() const;
    void SetActiveLayer(const IKrtObject &layer);
    IKrtObject GetLayerByNumber(int32_t number) const;
    IKrtObject GetLayerByName(const std::string &name) const;
    std::string LayerName(int32_t layerHandle) const;
    IKrtObjects GetLayerObjects(const IKrtObject &layer) const;
    void SetLayerSelectable(const IKrtObject &layer, bool selectable);
    void SetLayerLineStyle(const IKrtObject &layer, int32_t style, int32_t width, int32_t colour,
                           int32_t unitFlag);
    void SetLayerFill(const IKrtObject &layer, uint32_t colourWithAlpha, int32_t hatch, int32_t fillFlag);
    bool IsPageOutlineLayer(const IKrtObject &object) const;
    bool IsPenParkingLayer(const IKrtObject &object) const;
    // Deletes the layer when no listener refuses; True when it went.
    bool DeleteLayer(const IKrtObject &layer);
    int PurgeEmptyLayers(bool remove);
    int32_t GridSystem() const;
    void SetGridSystem(int32_t gridId);
    bool AddLayerToTheme(const IKrtObject &theme, const IKrtObject &layer);
    void SaveLayerStates() { LayerStates.Save(); }
    void RestoreLayerStates() { LayerStates.Restore(); }
    void ClearLayerStates() { LayerStates.Clear(); }
    bool HasLayerStates() const { return !LayerStates.Entries().empty(); }

    // --- Groups ---
    IKrtObject GetRootGroup() const;
    IKrtObject FindGroup(const std::string &name) const;
    IKrtObjects GetGroupObjects(const IKrtObject &group) const;
    void AddToGroup(const IKrtObject &object, const IKrtObject &group);
    void AddToGroupHandle(int32_t groupHandle, const IKrtObject &object);
    int PurgeEmptyGroups(bool remove);

    // --- Selection ---
    IKrtObjects GetSelected() const;
    int32_t SelectedCount() const;
    double SelectionLength() const;
    double SelectionArea() const;
    std::string SelectionLayerName() const;
    void UpdateSelectionTypes();
    bool SelectionHasType(int32_t type) const;
    std::string SelectionIDText() const;

    // --- Texts and identifiers ---
    void SetTextStyle(const IKrtObject &text, int32_t colour, int32_t horizontal, int32_t vertical,
                      double degrees);
    TFontSpec GetTextFont(const IKrtObject &text) const;
    void StoreIdentifierFont();
    bool IsIdentifierText(const IKrtObject &object) const;
    std::pair<IKrtObject, IKrtObject> GetIdentifierTexts(const IKrtObject &object) const;

    // --- Page and view ---
    IKrtPage GetPage() const;
    void SetPage(const IKrtPage &page);
    void SetPageScale(double scale);
    double GetPageScale() const;
    int32_t PageRelativeSize(double value) const;
    int PageASize() const;
    // Moves the page so that its centre (origin + extent div 2) is the point.
    void CentrePage(int32_t x, int32_t y);
    // The page's centre, extents halved with div.
    std::pair<int32_t, int32_t> PageCentre() const;
    double MapUnitsPerPixel();
    // Where the control sits in its tab: nowhere in particular, along one
    // edge (keeping its other extent) or filling it; kept as the tab resizes.
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    void SetAlign(TAlign align);
    bool MapFocused() const;
    void SetOffscreenDrawing(bool on) { control_.PutOffscreenDrawing(on); }
    bool PictureComplete() const { return control_.PictureComplete(); }
    bool IsModified() const { return control_.IsModified(); }
    void SetModified(bool modified) { control_.PutIsModified(modified); }

    // --- Units, undo, engine import and export ---
    int32_t GetUnits(int32_t kind) const { return control_.UnitsGet(kind); }
    void SetUnits(int32_t code);
    std::string LengthUnitName() const;
    std::string AreaUnitName() const;
    void BeginUndoStep();
    void EndUndoStep(int32_t actionCode);
    // The history as a document starts it: nothing to undo or redo.
    void ClearUndoHistory();
    int32_t ImportFile(const std::string &file, const std::string &formatKey);
    int32_t ExportFile(const std::string &file, const std::string &formatKey);
    int32_t Export();
    void CopyProgress(int32_t percent);

    // --- Sector store ---
    void SetSectorValue(int sector, int slot, const std::string &text);
    std::string GetSectorValue(int sector, int slot) const;
    void ClearSector(int sector);
    void SetLinkPath(const std::string &path);
    std::string GetLinkPath() const;

private:
    template <auto Method, class T>
    static void Trampoline(void *data, TPMap &sender)
    {
        (static_cast<T *>(data)->*Method)(sender);
    }
    void ObjectAddEvent(int32_t handle) override;
    IKrtObject FirstLayer(const std::function<bool(const IKrtLayer &)> &match) const;

    IMap control_;
    MapEventConnection events_;
    std::unique_ptr<QObject> aligner_;
    IKrtPoint scratchA_;
    IKrtPoint scratchB_;
};
