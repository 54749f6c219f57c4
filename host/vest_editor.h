#pragma once
// The editor the host talks to: a fixed 890 by 550 window painted by the effect.

#include "host/audio_effect.h"

class CVeST;

class CVeSTEditor : public AEffEditor {
public:
    CVeSTEditor(CVeST* host, int width, int height);
    ~CVeSTEditor() override;

    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;

    // Asks the view to repaint its whole area; false with no view.
    bool Redraw();

    CVeST* hostObject;
    int width;
    int height;
};
