// The picture formats the viewer decodes, told from a file's first bytes.
//
// Only formats whose cost is known before their pixels are decoded: each gives its size in a header
// before its pixels, none names or reads another file, and the metadata each can carry is removed before
// the decoder sees the file. The format is chosen here and handed to the decoder by name, so no other
// decoder that may be installed (vector drawings that load other files, animations that give no size
// before their frames, ...) ever sees a picture's bytes.
#pragma once

#include <string>
#include <string_view>

namespace specialty {

struct PictureFormat {
    const char* decoderName;                     // the image reader's name for it
    std::string_view signature;                  // the bytes every file of the format begins with
    void (*takeOutMetadata)(std::string& bytes); // in place; null: the format carries none
};

// The format `bytes` begin with, among those decoded: JPEG (what the catalogue's pictures are), PNG and
// BMP (pictures saved in those formats under a ".jpg" name show too); null for any other.
const PictureFormat* pictureFormatOf(std::string_view bytes);

// "JPEG, PNG or BMP", for messages.
extern const char* const kDecodedFormatNames;

} // namespace specialty
