// An object with one abstract operation, and a call of it compiled out of sight of the caller.
#pragma once

#include "objects/base_object.h"

class AbstractHook : public BaseObject {
  public:
    virtual void Hook() = 0;
};

void CallHook(AbstractHook& object);
