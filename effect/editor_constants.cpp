#include "effect/effect.h"

void TVexlEffect::InitEditorConstants() {}
