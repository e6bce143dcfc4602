#include "tests/objects/abstract_hook.h"

void CallHook(AbstractHook& object) {
    object.Hook();
}
