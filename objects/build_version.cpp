#include "objects/build_version.h"

const char* BuildVersion() {
    return QX7_VERSION;
}
