#pragma once
// The editor's view as VST 2.4 sees it: paints and mouse events from the core's editor
// window, passed on through the table entries (draw, mouseDown, mouseUp, mouseMove, keyDown,
// keyUp, idle) to the plug-in. The window publishes each paint's draw context in the host
// object before Draw runs.

#include "core/editor_input.h"

class CVeST;

class CVeSTView : public EditorInput {
public:
    CVeSTView(CVeST* host, double width, double height);

    void Draw() override;
    void MouseDown(double x, double y, int buttons) override;
    void MouseUp(double x, double y, int buttons) override;
    void MouseMove(double x, double y, int buttons) override;
    void Idle() override;
    // Keys reach the table's key entries, which are empty: the view answers them handled.
    bool KeyDown(const gui::Key& key) override;
    bool KeyUp(const gui::Key& key) override;

    CVeST* hostObject;
    double left = 0.0;
    double top = 0.0;
    double right;
    double bottom;
};
