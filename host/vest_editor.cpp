#include "host/vest_editor.h"

#include "host/vest.h"

CVeSTEditor::CVeSTEditor(CVeST* host, int w, int h) : AEffEditor(host), hostObject(host), width(w), height(h)
{
    rect_ = ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
}

CVeSTEditor::~CVeSTEditor() = default;

bool CVeSTEditor::open(void*) { return true; }

void CVeSTEditor::close() {}

void CVeSTEditor::idle() {}

bool CVeSTEditor::Redraw() { return false; }
