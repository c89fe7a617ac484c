// The pictures of one presentation: each picture file is decoded once however many slots show it, and all
// of them together stay within one memory budget. A picture that does not fit counts as missing.
//
// The pictures a presentation will need can be decoded ahead, on a worker thread, while the caller does
// other work (at start-up: building the window); the caller joins in when it asks for the first one. The
// outcome is the same as asking for them one by one in the order given. A picture decoded ahead can also
// be scaled ahead to the size it is shown at (a preview), so that the first paint need not scale it.
#pragma once

#include "picture_loader.h"

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace specialty {

constexpr std::int64_t kPresentationPictureBytes = 256 * 1024 * 1024;

class PictureSet {
  public:
    explicit PictureSet(std::int64_t budgetBytes = kPresentationPictureBytes) : left_(budgetBytes) {}
    ~PictureSet();
    PictureSet(const PictureSet&) = delete;
    PictureSet& operator=(const PictureSet&) = delete;

    // A picture to decode ahead, and the size to scale a preview of it to (none when not valid).
    struct Wanted {
        std::string path;
        QSize previewSize;
    };
    // Starts decoding the pictures on a worker thread. Every other call finishes that first.
    void decodeAhead(std::vector<Wanted> wanted);

    // The picture at `path`, shared with every earlier request for the same path; null when it cannot be
    // shown (a failure is remembered too, so a bad file is read once).
    QImage picture(const std::string& path);

    // The picture at `path` scaled smoothly to `size`, made ahead; null when none was (then the picture
    // is scaled where it is shown). Previews count against the budget after the pictures.
    QImage preview(const std::string& path, QSize size);

    std::int64_t bytesLeft();

  private:
    // Pictures being decoded ahead: each thread takes the next one not yet taken.
    struct Ahead {
        std::vector<std::string> paths;
        std::vector<std::vector<QSize>> previewSizes; // of each path
        std::vector<std::optional<QImage>> images;    // nullopt: given up, decoded again in turn
        std::vector<std::vector<QImage>> previews;
        std::atomic<std::size_t> next{0};
        std::atomic<std::int64_t> held{0};
    };

    QImage decode(const std::string& path);
    void decodeSomeAhead();
    void finishDecodingAhead();

    std::map<std::string, QImage> decoded_;
    std::multimap<std::string, QImage> previews_;
    std::int64_t left_;
    std::unique_ptr<Ahead> ahead_;
    std::thread worker_;
};

} // namespace specialty
