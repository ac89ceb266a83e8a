#include "editor/shell/standins/layer_list.h"

#include "editor/shell/map/krt_list.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/global.h"

#include "platform/text_codec.h"

TLayerList::TLayerList(QWidget *parent) : QListWidget(parent) {}

void TLayerList::SetMap(TPMap *map)
{
    map_ = map;
    Rebuild();
}

void TLayerList::Rebuild()
{
    clear();
    if (!map_)
        return;
    TMapEnumerator layers(map_->Control().MapLayers());
    for (IKrtObject o = layers.Next(); o; o = layers.Next()) {
        const std::string name = o.Layer().Name();
        // Private layers ("_" names) show only in debug or office mode.
        if (!name.empty() && (name[0] != '_' || Global().DebugMode() || Global().OfficeMode()))
            addItem(FromWindows1252(name));
    }
}

void TLayerList::SetMode(int mode)
{
    if (mode < 1 || mode > 3 || mode == mode_)
        return;
    mode_ = mode;
    Rebuild();
}

void TLayerList::SetLayers(TLayerState which, bool value)
{
    Global().TraceEntry("TLayerList.SetLayers()");
    if (map_) {
        if (!map_->HasLayerStates())
            map_->SaveLayerStates();
        TMapEnumerator layers(map_->Control().MapLayers());
        for (IKrtObject o = layers.Next(); o; o = layers.Next()) {
            const IKrtLayer l = o.Layer();
            if (which == TLayerState::Visibility)
                l.PutVisible(value);
            else
                l.PutSelectable(value);
            o.PutLayer(l);
        }
        map_->FireEvent(meLayerListChanged);
        Rebuild();
    }
    Global().TraceExit("TLayerList.SetLayers()");
}

void TLayerList::ResetLayers()
{
    Global().TraceEntry("TLayerList.ResetLayers()");
    if (map_) {
        map_->RestoreLayerStates();
        Rebuild();
    }
    Global().TraceExit("TLayerList.ResetLayers()");
}

bool TLayerList::AddLayer()
{
    Global().TraceEntry("TLayerList.AddLayer()");
    bool made = false;
    if (map_ && mode_ == 1) {
        const IKrtObject layer = map_->NewLayer("New Layer", 0);
        made = !layer.IsNone();
        if (made) {
            map_->SetActiveLayer(layer);
            Rebuild();
        }
    }
    Global().TraceExit("TLayerList.AddLayer()");
    return made;
}
