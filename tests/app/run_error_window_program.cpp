// A window program that reads past the end of a collection, as a programming error of the tool
// would: its run-time error must reach a user who has no console.
#include <windows.h>

#include "objects/collection.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Collection empty(4, 4);
    empty.At(1);
    return 0;
}
