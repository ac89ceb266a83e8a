// The layout aid of tool tabs: places controls on the tab or in a container
// on it, relative to the container's edges, with a margin.
#pragma once

#include <QPointer>
#include <string>

class QLabel;
class QWidget;
class TToolTab;

class TUIBuilder {
public:
    explicit TUIBuilder(TToolTab *tab) : tab_(tab) {}

    // Top := top. In a container: left 0 means the margin, a negative left
    // counts from the container's right edge, width 0 reaches to the right
    // margin. Without a container the control goes on the tab at its left
    // edge (left is not used) and width 0 means the tab's width. The height
    // changes only when height > 0. A control that changes its parent is
    // shown in the new one.
    void Place(QWidget *control, QWidget *container, int left, int top, int width, int height);
    // The first pixel right of the control, and the first below it.
    static int RightOf(const QWidget *control);
    static int Below(const QWidget *control);
    // A label "text :" beside the control, in its parent: above it (16
    // pixels up, same left), or on its left (4 pixels apart, centred on it
    // less the margin).
    QLabel *AddCaption(const std::string &text, QWidget *control, bool above);
    // A right-aligned label "text :" on the tab for the caller to place; it
    // keeps its size.
    QLabel *NewLabel(const std::string &text);

    int Margin = 8;

private:
    QPointer<TToolTab> tab_;
};
