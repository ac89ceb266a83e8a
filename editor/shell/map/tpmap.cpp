#include "editor/shell/map/tpmap.h"
#include "editor/shell/map/trace_scope.h"

#include <QEvent>
#include <QLayout>
#include <QPointer>

// --- TEventRegistry ----------------------------------------------------------------

bool TEventRegistry::Subscribe(int number, TMapListenerCode code, void *data)
{
    // The object is not compared: a second object whose listener is the same
    // method is not subscribed to that number.
    for (size_t i = 0; i < listeners_.size(); ++i)
        if (listeners_[i].code == code && numbers_.Get(int(i)) == number)
            return false;
    listeners_.push_back({code, data});
    numbers_.Add(number);
    return true;
}

void TEventRegistry::Fire(int number)
{
    if (number == Held)
        return;
    // Listeners added during the fire are not called by it.
    const size_t count = listeners_.size();
    for (size_t i = 0; i < count && i < listeners_.size(); ++i)
        if (numbers_.Get(int(i)) == number && listeners_[i].code)
            listeners_[i].code(listeners_[i].data, owner_);
}

void TEventRegistry::Unsubscribe(void *data)
{
    // Entries are blanked, not erased, so that a fire in progress keeps its
    // positions.
    for (Listener &l : listeners_)
        if (l.data == data)
            l = {nullptr, nullptr};
}

// --- TPMap -------------------------------------------------------------------------

TPMap::TPMap(QWidget *tab, const CLSID &controlClass) : control_(IMap::Create(controlClass))
{
    const TTraceScope trace("TPMap.Create()");
    if (QWidget *w = control_.Widget(); w && tab) {
        w->setParent(tab);
        if (tab->layout())
            tab->layout()->addWidget(w);
        w->show();
    }
    control_.PutOffscreenDrawing(false);
    control_.UnitsSet(3, 4);  // metres
    control_.UnitsSet(4, 29); // hectares
    const IKrtPage page = control_.Page();
    page.PutIsPortrait(true);
    page.PutOriginX(0);
    page.PutOriginY(0);
    page.PutScale(2500.0);
    control_.PutPage(page);
    events_.Connect(control_, this);
    // The control's initial layer becomes the pen-parking layer; its name's
    // no-break space (character 160) is how the editor knows its own.
    if (const IKrtObject first = FirstLayer([](const IKrtLayer &) { return true; })) {
        const IKrtLayer layer = first.Layer();
        layer.PutNumber(kPenParkingLayer);
        layer.PutNoFillColor(true);
        layer.PutName("Pen\xA0Parking");
        first.PutLayer(layer);
    }
    PasteHerePending = false;
    scratchA_ = IKrtPoint::New();
    scratchB_ = IKrtPoint::New();
}

TPMap::~TPMap()
{
    aligner_.reset();
    events_.Disconnect();
    // The tab owns the widget's place; the control goes with its last reference.
    if (QWidget *w = control_.Widget())
        w->setParent(nullptr);
}

int32_t TPMap::SetCommand(int32_t command)
{
    const TTraceScope trace("TPMap.SetCommand()");
    const int32_t before = control_.MapLayers().Count();
    const int32_t result = control_.Command(command);
    Command = command;
    FireEvent(meCommandChanged);
    if (control_.MapLayers().Count() > before)
        FireEvent(meContentChanged);
    PasteHerePending = command == 458;
    return result;
}

void TPMap::SetMouseArgs(int32_t x, int32_t y, int32_t eventId, int32_t flags)
{
    MouseArgs = {x, y, eventId, flags};
}

void TPMap::SetLayerArgs(const IKrtObject &layer)
{
    LayerArgs = {};
    if (layer.IsNone())
        return;
    LayerArgs.Layer = layer;
    if (layer.ObjectType() != otLayer)
        return;
    if (const IKrtLayer l = layer.Layer()) {
        LayerArgs.Number = l.Number();
        LayerArgs.Name = l.Name();
    }
}

bool TPMap::Open(const std::string &fileName)
{
    const TTraceScope trace("TPMap.Open()");
    if (control_.Open(fileName) != 1)
        return false;
    FileName = fileName;
    return true;
}

bool TPMap::Save(const std::string &fileName)
{
    const TTraceScope trace("TPMap.Save()");
    FireEvent(meSaving);
    if (control_.Save(fileName) == 0)
        return false;
    FileName = fileName;
    FireEvent(meSaved);
    return true;
}

void TPMap::MouseEvent(int32_t x, int32_t y, int32_t eventId, int32_t flags)
{
    // A right press or a left double-click drops the drawing tool, a middle
    // press pans; event 1 listeners already see the new command.
    if (eventId == 516 || eventId == 515)
        SetCommand(472);
    else if (eventId == 519)
        SetCommand(422);
    SetMouseArgs(x, y, eventId, flags);
    FireEvent(meMouse);
    if (eventId == 514 && PasteHerePending) {
        FireEvent(mePasteHerePlaced);
        PasteHerePending = false;
    }
}

void TPMap::SelectionChanged(int32_t)
{
    UpdateSelectionTypes();
    FireEvent(meSelectionChanged);
}

void TPMap::DisplayScaleChanged(double scale)
{
    if (OnScaleChanged)
        OnScaleChanged(*this, scale);
}

void TPMap::Progress(int32_t operationId, int32_t progress)
{
    if (OnProgress)
        OnProgress(*this, operationId, progress);
}

void TPMap::UndoRedoCaption(int32_t undoOrRedo, int32_t tool)
{
    if (undoOrRedo == kNextUndoReport)
        NextUndoCode = tool;
    else if (undoOrRedo == kNextRedoReport)
        NextRedoCode = tool;
    if (OnUndoRedoCaption)
        OnUndoRedoCaption(*this, undoOrRedo, tool);
}

void TPMap::HelpCall(int32_t)
{
    if (OnHelpCall)
        OnHelpCall(*this);
}

void TPMap::ObjectAdd()
{
    if (OnObjectAdded)
        OnObjectAdded(*this);
}

void TPMap::ObjectAddEvent(int32_t) { ObjectAdd(); }

namespace {

// Keeps a widget aligned in its parent: placed again whenever the parent
// resizes.
class TAligner : public QObject {
public:
    TAligner(QWidget *widget, TPMap::TAlign align) : widget_(widget), align_(align)
    {
        widget->parentWidget()->installEventFilter(this);
        Place();
    }
    ~TAligner() override
    {
        if (widget_ && widget_->parentWidget())
            widget_->parentWidget()->removeEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (widget_ && watched == widget_->parentWidget() && event->type() == QEvent::Resize)
            Place();
        return false;
    }

private:
    void Place()
    {
        if (!widget_ || !widget_->parentWidget())
            return;
        const QRect area = widget_->parentWidget()->rect();
        QRect r = widget_->geometry();
        switch (align_) {
        case TPMap::alTop:
            r = {area.left(), area.top(), area.width(), r.height()};
            break;
        case TPMap::alBottom:
            r = {area.left(), area.bottom() + 1 - r.height(), area.width(), r.height()};
            break;
        case TPMap::alLeft:
            r = {area.left(), area.top(), r.width(), area.height()};
            break;
        case TPMap::alRight:
            r = {area.right() + 1 - r.width(), area.top(), r.width(), area.height()};
            break;
        case TPMap::alClient:
            r = area;
            break;
        case TPMap::alNone:
            return;
        }
        widget_->setGeometry(r);
    }

    QPointer<QWidget> widget_;
    TPMap::TAlign align_;
};

} // namespace

void TPMap::SetAlign(TAlign align)
{
    const TTraceScope trace("TPMap.SetAlign()");
    aligner_.reset();
    QWidget *w = control_.Widget();
    if (!w || !w->parentWidget())
        return;
    // A layout of the tab would place the control its own way.
    if (QLayout *layout = w->parentWidget()->layout())
        layout->removeWidget(w);
    if (align != alNone)
        aligner_ = std::make_unique<TAligner>(w, align);
}

bool TPMap::DeleteLayer(const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.DeleteLayer()");
    SetLayerArgs(layer);
    const bool refused = LayerArgs.Number == kPageOutlineLayer || LayerArgs.Number == kPenParkingLayer;
    LayerDeleteRefused = refused;
    if (!refused)
        FireEvent(meLayerDeleting);
    bool deleted = false;
    if (LayerDeleteRefused) {
        FireEvent(meLayerDeleteRefused);
    } else if (!layer.IsNone() && layer.ObjectType() == otLayer) {
        // The object collection's Remove answers 0 whatever happened: the
        // layer went only when its handle reads as no object afterwards.
        const int32_t handle = layer.hObject();
        if (handle > 0) {
            const IKrtObjects objects = control_.MapObjects();
            objects.Remove(handle);
            deleted = objects.Item(handle).ObjectType() == otNone;
        }
        if (deleted)
            FireEvent(meObjectsRemoved);
    }
    SetLayerArgs(IKrtObject());
    return deleted;
}
