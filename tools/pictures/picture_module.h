// What the tool's picture module offers: the picture work of check and sheet, which needs Qt's image
// library and the fifty-odd libraries behind it. Only check and sheet load it (picture_module_loader.h), so
// that every other command starts with Qt Core alone.
//
// The module carries its own copy of the catalogue and pictures layers, hidden from the program's, so no
// Failure crosses between the two (its fault's family would be the module's copy, and compare unequal to
// the program's): what crosses are plain values, texts already worded by the module's describe().
// This header is all the two share; both are built from one tree, and kPictureModuleVersion tells a module
// of another build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace specialty {

// Raised whenever an entry below changes its meaning, is added or is removed.
constexpr std::uint32_t kPictureModuleVersion = 2;

// Whether a picture shows whole, as check judges it.
struct PictureJudgement {
    bool whole = false;
    std::string reason; // when not whole, why, worded: "it decodes only partly: ..."
};

// A picture made small for the review sheet.
struct PictureThumbnail {
    enum class Outcome : std::uint8_t { Made, DoesNotDecode, NotMadeSmall };
    Outcome outcome = Outcome::DoesNotDecode;
    std::string reason; // DoesNotDecode: why, worded
    std::string jpeg;   // Made: the thumbnail, a JPEG of width x height, opaque
    int width = 0;
    int height = 0;
    // Check's judgement of the picture, when the decoding that made the thumbnail tells it (a JPEG's
    // decoder reads every byte at any size); else the picture is to be judged apart.
    bool judged = false;
    PictureJudgement judgement;
};

struct PictureModule {
    std::uint32_t version; // kPictureModuleVersion of the build that made the module
    // The most bytes of a picture file the module decodes; a larger one is refused before it is read.
    std::size_t mostFileBytes;
    // Judges the picture at `path` as check does: every byte of it decoded within the pictures layer's
    // bounds, the decoder's warnings collected.
    void (*judge)(const std::string& path, PictureJudgement& into) noexcept;
    // Decodes a picture file's `bytes` (read from the file the caller opened and judged) to fit within
    // `width` x `height`, never enlarged, and writes it as a JPEG over white; judges it from that same
    // decoding where it can.
    void (*thumbnail)(std::string&& bytes, int width, int height, PictureThumbnail& into) noexcept;
};

} // namespace specialty

// The module's one exported function: the module, its image readers' memory bound set.
extern "C" const specialty::PictureModule* specialtyPictureModule();
constexpr const char* kPictureModuleEntry = "specialtyPictureModule";
