// The identifier of the library-private interface IJavaObject.
#include "java_object.h"

// {AEA547FF-372A-4713-90A0-60CD5120B290}
extern "C" const IID IID_IJavaObject = {
    0xaea547ff, 0x372a, 0x4713, {0x90, 0xa0, 0x60, 0xcd, 0x51, 0x20, 0xb2, 0x90}};
