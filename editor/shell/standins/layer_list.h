// The list on the "Layers" tab. This form shows the names of the bound
// map's layers and carries out the main window's layer commands in their
// simplest form; the full list with themes, scale ranges, glyphs and
// in-place editing replaces it behind the same members.
#pragma once

#include <QListWidget>
#include <cstdint>

class TPMap;

enum class TLayerState { Visibility, Selectability };

class TLayerList : public QListWidget {
public:
    explicit TLayerList(QWidget *parent = nullptr);

    // Binds the list to a map (null: none) and shows its layers.
    void SetMap(TPMap *map);
    TPMap *Map() const { return map_; }
    // Shows the bound map's layer names again.
    void Rebuild();
    // 1 layers, 2 themes, 3 scale ranges; this list shows layers in every mode.
    void SetMode(int mode);
    int Mode() const { return mode_; }
    // Every layer's visibility or selectability := value; the layer states
    // are saved first unless some are saved already.
    void SetLayers(TLayerState which, bool value);
    // The saved layer states written back.
    void ResetLayers();
    // A new layer "New Layer" with the next free number; true when made.
    bool AddLayer();

private:
    TPMap *map_ = nullptr;
    int mode_ = 1;
};
