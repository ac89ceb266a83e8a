// The map control: an embeddable window that shows one map document of the
// engine and owns the engine's record of that window (_WNDRES). Qt's events
// become the window messages the engine and the control's handlers expect;
// painting draws into the window's retained surface (synchronously, through
// an off-screen bitmap, or on a drawing thread) and the widget only shows
// that surface. Its container reaches it through the dispatch object of
// map_control_object.h, which fires the control's events.
#pragma once

#include "control/control_ids.h"
#include "control/tools/edit_figure.h"
#include "control/tools/move_preview.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_variant.h"
#include "platform/mouse_messages.h"
#include "platform/types.h"

#include <QWidget>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

class ConnectionPoint;
class CGDIThread;
class DrawingWorker;
class QImage;
class PropExchange;
class QScrollBar;
class QMouseEvent;
class KrtPoint;
class KrtRect;
class IDispatch;
struct PresentationManager;
struct _WNDRES;

// The rubber band of the rectangle tools: the rectangles the tools draw and
// the window and view they are drawn in.
struct RubberBand {
    HWND window = 0;
    PresentationManager *view = nullptr;
    RECT windowRect{0, 0, 0, 0};
    MAP_COORDRECT previous{2147483647, 2147483647, -2147483647, -2147483647};
    MAP_COORDRECT current{2147483647, 2147483647, -2147483647, -2147483647};
    MAP_COORDPT startMap{0, 0};
    MAP_COORDPT currentMap{0, 0};
    POINT startWindow{0, 0};
    POINT currentWindow{0, 0};
};

// What the control raises: its events through the event connection point,
// and property-change notices.
class ControlEventTarget {
public:
    virtual ~ControlEventTarget() = default;
    virtual void FireEvent(DISPID id, std::span<const Variant> args) = 0;
    virtual void PropertyChanged(DISPID id) = 0;
};

class CMapCtrl : public QWidget {
public:
    explicit CMapCtrl(QWidget *parent = nullptr);
    ~CMapCtrl() override;
    CMapCtrl(const CMapCtrl &) = delete;
    CMapCtrl &operator=(const CMapCtrl &) = delete;

    HWND hwnd() const { return m_hWnd; }
    _WNDRES *wndRes() const { return m_pWndRes; }
    // Counts the records this control has let go (Close, destruction), so
    // that an automation object can tell its map from a later one.
    uint64_t RecordGeneration() const { return m_recordGeneration; }
    PresentationManager *view() const { return m_pView; }
    void SetEventTarget(ControlEventTarget *target) { m_events = target; }

    // --- The window (Qt events become these) -------------------------------
    // The control's window procedure.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    int OnCreate();
    void OnSize();
    void OnKeyDown(int virtualKey);
    void OnTimer(uintptr_t id);
    void OnKillFocus();
    void OnActivate(bool active);

    // --- Persistence --------------------------------------------------------
    void DoPropExchange(PropExchange &px);
    void OnResetState();
    bool IsControlModified() const { return m_bControlModified; }
    void SetModifiedFlag(bool modified = true) { m_bControlModified = modified; }

    // --- The record ---------------------------------------------------------
    int AttachWndRes(int createPage);
    int DestroyWndRes();

    // --- Painting and the drawing thread -----------------------------------
    // The paint entry: dc draws the window's client area `bounds`, of which
    // `invalid` is to be drawn.
    void OnDraw(HDC dc, const RECT &bounds, const RECT &invalid);
    void OnDrawMetafile(HDC dc, const RECT &bounds);
    void RenderMap(HDC dc, const RECT &rect, int synchronous);
    // Stops and deletes the drawing thread (before anything changes the map
    // or the view). A pass that it stopped keeps its area pending, and the
    // window is invalidated over that area, so that a paint draws it again
    // once the window's thread is back in its loop. Returns 1.
    int StopDrawingThread();
    // The pending area becomes the whole client area and the window is
    // invalidated.
    void FullRepaint();
    // Paints what is invalid now (the window's WM_PAINT).
    void PaintNow();
    // Waits for a running drawing thread to finish by itself (tests, hosts
    // that need the finished picture) and delivers its posted messages.
    void WaitForDrawing();
    bool DrawingThreadRunning() const;
    // The area the last drawing thread drew or was stopped in.
    RECT LastThreadArea() const;
    // Whether the window's retained picture is the whole map as it stands:
    // no drawing thread runs, no paint is due and no area is pending. Stops
    // nothing; for hosts that want to know when the map shows.
    bool PictureComplete() const;
    // Tests only: `hook` runs on the drawing thread in each threaded pass
    // once the pass has taken over the pending area, before it draws (see
    // DrawingWorker::SetPassHookForTesting).
    void SetDrawingPassHookForTesting(std::function<void()> hook);
    bool UseThreads() const { return m_bUseThreads; }
    void SetUseThreads(bool on) { m_bUseThreads = on; }

    // --- Events -------------------------------------------------------------
    void FireEvent(DISPID id, std::span<const Variant> args = {});
    void FireSelectionChanged(int32_t count);
    void FireDisplayScaleChanged();
    void FireCommandStateChanged(int32_t command, int32_t flags);
    void FireQueryEvent(DISPID id, int32_t queryId, OBJHANDLE object, int32_t number);
    // The engine's notification messages; 1 when the message was one of them
    // (the answer in *result).
    bool OnEngineNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result);

    // --- Methods and properties --------------------------------------------
    std::string GetFileName();
    void SetFileName(const std::string &name);
    bool GetOffscreenDrawing() const { return m_bOffscreenDrawing; }
    void SetOffscreenDrawing(bool on);
    bool GetIsModified() const;
    void SetIsModified(bool modified);
    double GetMapScale();
    void SetMapScale(double scale);
    int32_t GetOriginX();
    int32_t GetOriginY();
    void SetOriginX(int32_t x);
    void SetOriginY(int32_t y);
    int16_t GetOriginAlignment() const { return m_nOriginAlignment; }
    void SetOriginAlignment(int16_t alignment);
    int32_t Open(const VARIANT &fileName);
    int32_t OpenFile(const std::string &name);
    bool ShowScrolls(bool visible, bool redraw);
    int32_t WindowToMap(IDispatch *windowPoint, IDispatch *mapPoint);
    int32_t MapToWindow(IDispatch *mapPoint, IDispatch *windowPoint);
    int32_t WindowToMapRect(IDispatch *windowRect, IDispatch *mapRect);
    int32_t MapToWindowRect(IDispatch *mapRect, IDispatch *windowRect);
    int32_t MapToWorld(IDispatch *mapPoint, IDispatch *worldPoint);
    int32_t WorldToMap(IDispatch *worldPoint, IDispatch *mapPoint);
    int32_t MapToWorldRect(IDispatch *mapRect, IDispatch *worldRect);
    int32_t WorldToMapRect(IDispatch *worldRect, IDispatch *mapRect);
    int32_t Close();
    int32_t Import(int32_t sheetWindow);
    int32_t Export(int32_t sheetWindow);
    int32_t UnitsGet(int32_t which);
    void UnitsSet(int32_t which, int32_t unit);
    std::string UnitStringGet(int32_t unit, int32_t shortString);
    void Refresh();
    int32_t Zoom(IDispatch *mapRect, bool zoomIn);
    int32_t Save(const VARIANT &fileName);
    std::string PointUTMtoMGRS(int32_t x, int32_t y);
    void CopyToClipboard(IDispatch *copyRect, int16_t pixelsX, int16_t pixelsY);
    void ExportRasterRect(IDispatch *exportRect, const std::string &fileName, int16_t pixelsY,
                          int16_t pixelsX, int16_t type, IDispatch *parameters);
    bool Buffering(int32_t size, int32_t segments, int32_t endings, int32_t corners, int32_t type,
                   int32_t parallelLength, int32_t calculation);
    int32_t ExportEx(const std::string &exportName, const std::string &fileName, bool showDialog);
    int32_t ImportEx(const std::string &importName, const std::string &fileName, bool showDialog);
    void AboutBox();

    // --- Queries ------------------------------------------------------------
    int32_t QuerySelection(int32_t queryId);
    int32_t QueryAllObjects(int32_t queryId);
    int32_t QueryByMapPoint(int32_t queryId, IDispatch *point);
    int32_t QueryByWndPoint(int32_t queryId, IDispatch *point);
    int32_t QueryByMapRect(int32_t queryId, IDispatch *rect, bool enclosed);
    int32_t QueryByWndRect(int32_t queryId, IDispatch *rect, bool enclosed);

    // --- Services for automation objects -----------------------------------
    std::string GetObjectID(OBJHANDLE object, bool primary);
    int SetObjectID(OBJHANDLE object, bool primary, const std::string &text, int visible);
    int GetObjectType(OBJHANDLE object);
    OBJHANDLE GetObjectLayer(OBJHANDLE object);
    double GetObjectLength(OBJHANDLE object);
    double GetObjectArea(OBJHANDLE object);
    static double ValueInUnit(const PresentationManager *view, int unit, double value);
    int LocateObject(OBJHANDLE object);

    // --- Commands -------------------------------------------------------------
    int32_t Command(int32_t id);
    int32_t CurrentTool() const { return m_nCurrentTool; }
    int32_t OperationState() const { return m_nOperationState; }
    // The mouse tools set the state of their operation.
    void SetOperationState(int32_t state) { m_nOperationState = state; }
    int SetEndsAfterOneOperation(int32_t id, int8_t ends);
    int8_t GetEndsAfterOneOperation(int32_t id) const;
    void UpdateToolState(int32_t id);
    void FireCommandNotActive(int32_t id);
    int32_t EndTool(int32_t force);
    int32_t CancelOperation(WPARAM keys, POINT point);
    void SetToolCursor();
    void ViewAllObjects(int fitPage);
    void ShowMapRect(MAP_COORDRECT rect, bool asAllObjects, bool fitPage);
    struct PenMargins {
        int32_t pixels = 0;
        int32_t mapUnits = 0;
    };
    PenMargins WidestPens() const;
    bool PageRect(OBJHANDLE *page, MAP_COORDRECT *rect) const;
    void ViewPage();
    void ViewSelectedObjects();
    void ViewRefresh();
    void CentrePageOnView();
    void FitPageToSelection();
    void LayersSetup();
    void DeleteSelection();
    void GroupSelection();
    void UngroupSelection();
    void MoveSelectionToLayer();

    // --- Mouse input and the tools (control/tools/) ---------------------------
    void FireMouseEvent(POINT point, UINT message, WPARAM keys);
    int32_t OnToolLButtonDown(WPARAM keys, POINT point);
    void OnToolMouseMove(WPARAM keys, POINT point);
    void OnToolLButtonUp(WPARAM keys, POINT point);
    int32_t SelectAtPoint(WPARAM keys, POINT point);
    int32_t SelectInRect(WPARAM keys, const MAP_COORDRECT &rect);
    int32_t ToolTraceAlongObject(const MAP_COORDPT &from, const MAP_COORDPT &to);
    void InvalidateEditFigure(HWND window, int erase, int margin);
    int32_t BeginNodeDrag(WPARAM keys, POINT point);
    void EndNodeDrag(WPARAM keys, POINT point);
    int32_t NodePlaneClick(WPARAM keys, POINT point);
    int32_t NodeCutClick(WPARAM keys, POINT point);
    int32_t NodeJoinClick(WPARAM keys, POINT point);
    int32_t BeginObjectMove(WPARAM keys, POINT point);
    int32_t EndObjectMove(WPARAM keys, POINT point);
    const EditFigure &EditFigureRecord() const { return m_EditFigure; }
    // The segment being drawn (from the last fixed point to the cursor) or
    // dragged (between the figure's first point and the cursor, towards the
    // edited vertex), in map coordinates; false in any other state or before
    // a first point.
    bool SelectionSegment(double *dx, double *dy) const;
    const MovePreview &MovePreviewRecord() const { return m_MovePreview; }

    // The running length and area of the figure being drawn (kept by the
    // mouse tools).
    double figureLength = 0;
    double figureArea = 0;
    RubberBand m_RubberBand;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    friend class CGDIThread;

    // The client area: the widget less the visible scroll bars.
    QRect ClientArea() const;
    void SyncScrollBars();
    void OnScrollBarAction(int bar, int action);
    void SchedulePaint();
    // Stops and deletes the drawing thread; true when a pass was stopped
    // before it finished (its area is pending again).
    bool EndDrawingThread();
    // The control's drawing worker, made on first use.
    DrawingWorker &DrawingThreadWorker();
    void FillBackground(HDC dc, const RECT &rect) const;
    // Draws rect of the map into dc through an image of the client size, so
    // that nothing outside rect changes; the engine's result. scratch, when
    // given, is that image, kept from one call to the next.
    long DrawClipped(HDC dc, const RECT &rect, bool copyWhenStopped, QImage *scratch = nullptr);
    void DrawRubberBand(HDC dc, bool repaintAll);
    bool SameView(PresentationManager *view) const { return view == m_pView; }
    void SetWaitCursor(bool on);

    // The mouse tools' side of the window (control/tools/).
    void OnMouseMessage(UINT msg, WPARAM keys, POINT point);
    // The mouse, wheel and focus messages, one at a time: a message that
    // arrives while another is handled (a handler that lets the event loop
    // run, or a host that sends one from an event) waits until it is done.
    void OnInputMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void RunInputMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Sets the engine's cursor n unless it is shown already (a cursor is
    // made from its image each time it is set).
    void ShowEngineCursor(int n);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnRestTimer();
    // Ends the operation in progress as if the button were released where
    // it last showed the cursor (a figure with enough points is made).
    void FinishOperation();
    void CancelToolOperation();
    void ShutdownTools();
    void SendQtMouseEvent(QMouseEvent *event);
    MAP_COORDPT SnappedPoint(POINT point, bool *snapped = nullptr);
    MAP_COORDPT PlainMapPoint(POINT point) const;
    // The edited figure's length and area, measured again and published.
    void MeasureEditFigure();
    void CaptureMouse();
    void ReleaseMouse();
    // The tool repaints: incremental (only the pending rectangle set, the
    // overlay drawn over what the last paint drew) or with the whole map
    // drawn again under it.
    void RepaintOverlay();
    void RepaintWhole();
    void ResetRubberBand();
    void ClearRubberBand();
    void StopDrawingForOperation();
    void StartRestTimer();
    void StopRestTimer();
    void DrawingMoveStep(WPARAM keys, POINT point);
    void RectangleStep(POINT point);
    void FinishPolyline();
    void FinishPolygon(bool created);
    void FinishArrow(POINT point);
    void FinishFigureCleanup();
    void NodeDragMoveStep(POINT point);
    void ResizeMoveStep(POINT point);
    void ObjectMoveStep(POINT point);
    void PolylineMoveStep(POINT point);
    // Runs a tool's dialog, then ends the tool; the host hears of the object
    // the dialog made, if any. Returns 1 (the click was used).
    int32_t RunDialogTool(const std::function<void()> &dialog);
    bool OnVertex(POINT point) const;
    // The record replaced by a new one read from the file; false when the
    // file could not be read (the current record untouched).
    bool ReadDocument(const std::string &name);
    int32_t SelectionCount();
    void ApplyOrigin();
    int32_t OriginReferenceX(const MAP_COORDRECT &world) const;
    int32_t OriginReferenceY(const MAP_COORDRECT &world) const;
    int32_t QueryFound(DISPID event, int32_t queryId, const MAP_COORDRECT *mapRect, const RECT *windowRect,
                       bool enclosed);

    HWND m_hWnd = 0;
    CGDIThread *m_pDrawingThread = nullptr;
    // The thread the drawing threads run on, made by the first of them.
    std::unique_ptr<DrawingWorker> m_drawingWorker;
    int32_t m_bUseThreads = 1;
    int32_t m_bOffscreenDrawing = 0;
    std::string m_strFileName;
    // The open document's whole file name (the record keeps 127 characters).
    std::string m_strDocumentName;
    double m_dMapScale = 0.0;
    int32_t m_lOriginX = 0;
    int32_t m_lOriginY = 0;
    int16_t m_nOriginAlignment = 0;
    _WNDRES *m_pWndRes = nullptr;
    uint64_t m_recordGeneration = 0;
    PresentationManager *m_pView = nullptr;
    int32_t m_nOperationState = 0;
    int32_t m_nCurrentTool = mCmdDeselect;
    int32_t m_bPointFromClick = 0;
    std::array<int8_t, 78> m_abEndsAfterOneOperation{};
    POINT m_lastMousePoint{0, 0};
    RECT m_lastThreadArea{0, 0, 0, 0};

    bool m_bControlModified = false;
    bool m_bCreated = false;
    bool m_bPaintScheduled = false;
    int m_waitCursor = 0;
    // The view's pending rectangle and flag are shared with the drawing
    // thread: the control reads and writes them under this lock.
    mutable std::mutex m_pendingLock;
    ControlEventTarget *m_events = nullptr;
    QScrollBar *m_hScroll = nullptr;
    QScrollBar *m_vScroll = nullptr;
    EditFigure m_EditFigure;
    MovePreview m_MovePreview;
    MouseMessageTranslator m_mouseMessages;
    // The release step runs for a lost focus: the figure's own points stand
    // in for the cursor's.
    bool m_bFocusLossRelease = false;
    int m_shownCursor = -1;
    struct InputMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    bool m_bHandlingInput = false;
    std::deque<InputMessage> m_waitingInput;
};
