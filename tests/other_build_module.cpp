// A picture module as another build would make it, for the tool's check on loading one: its entry offers
// a version no build of this tree has.
#include "tools/pictures/picture_module.h"

extern "C" __attribute__((visibility("default"))) const specialty::PictureModule* specialtyPictureModule() {
    static const specialty::PictureModule module{0, 0, nullptr, nullptr};
    return &module;
}
