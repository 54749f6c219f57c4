#pragma once
// The 29 plain functions through which CVeST reaches the effect. CVeST never names the
// effect's class; only the entry point fills this table. A null entry makes its
// operation do nothing and answer 0.

#include <cstdint>

class CVeST;

struct VeSTCallbackTable {
    void (*create)(CVeST* host);
    void (*destroy)(CVeST* host);
    void (*open)(CVeST* host);
    void (*suspend)(CVeST* host);
    void (*resume)(CVeST* host);
    void (*idle)(CVeST* host);
    void (*close)(CVeST* host);
    void (*draw)(CVeST* host, double width, double height);
    void (*mouseDown)(CVeST* host, double x, double y, int buttons);
    void (*mouseUp)(CVeST* host, double x, double y, int buttons);
    void (*mouseMove)(CVeST* host, double x, double y, int buttons);
    void (*keyDown)(CVeST* host, int character, int modifiers, int virtualKey);
    void (*keyUp)(CVeST* host, int character, int modifiers, int virtualKey);
    int32_t (*getVendorVersion)(CVeST* host);
    int32_t (*getVendorString)(CVeST* host, char* text);
    int32_t (*getProductString)(CVeST* host, char* text);
    int32_t (*getEffectName)(CVeST* host, char* text);
    int32_t (*getProgramName)(CVeST* host, char* text);
    void (*setProgramName)(CVeST* host, const char* text);
    int32_t (*getProgramNameIndexed)(CVeST* host, int32_t category, int32_t index, char* text);
    float (*getParameter)(CVeST* host, int32_t index);
    void (*setParameter)(CVeST* host, int32_t index, double value);
    void (*getParameterName)(CVeST* host, int32_t index, char* text);
    void (*getParameterLabel)(CVeST* host, int32_t index, char* text);
    void (*getParameterDisplay)(CVeST* host, int32_t index, char* text);
    void (*processReplacing)(CVeST* host, float** inputs, float** outputs, int32_t frames);
    void (*processDoubleReplacing)(CVeST* host, double** inputs, double** outputs, int32_t frames);
    int32_t (*getChunk)(CVeST* host, void** data, bool isPreset);
    int32_t (*setChunk)(CVeST* host, void* data, int32_t byteSize, bool isPreset);
};

static_assert(sizeof(VeSTCallbackTable) == 29 * sizeof(void*));
