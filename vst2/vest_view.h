#pragma once
// The single view of the editor: paints by running the effect's drawing section with the
// draw context published in the host object, and passes mouse events to the runtime.

#include "gui/view.h"

class CVeST;

class CVeSTView : public gui::View {
public:
    CVeSTView(CVeST* host, double width, double height);

    void Draw(gui::DrawContext& context) override;
    bool OnMouseDown(double x, double y, int buttons) override;
    bool OnMouseUp(double x, double y, int buttons) override;
    bool OnMouseMove(double x, double y, int buttons) override;
    bool OnKeyDown(const gui::Key& key) override;
    bool OnKeyUp(const gui::Key& key) override;

    CVeST* hostObject;
    double left = 0.0;
    double top = 0.0;
    double right;
    double bottom;
};
