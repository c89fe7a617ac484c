// The pictures of one presentation: each picture file is decoded once however many slots show it, and all
// of them together stay within one memory budget. A picture that does not fit counts as missing.
//
// The pictures a presentation will need can be decoded ahead, on a worker thread, while the caller does
// other work (at start-up: building the window); the caller joins in when it asks for the first one. The
// outcome is the same as asking for them one by one in the order given.
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

    // Starts decoding `paths` on a worker thread. Every other call finishes that first.
    void decodeAhead(std::vector<std::string> paths);

    // The picture at `path`, shared with every earlier request for the same path; null when it cannot be
    // shown (a failure is remembered too, so a bad file is read once).
    QImage picture(const std::string& path);

    std::int64_t bytesLeft();

  private:
    // Pictures being decoded ahead: each thread takes the next one not yet taken.
    struct Ahead {
        std::vector<std::string> paths;
        std::vector<std::optional<QImage>> images; // nullopt: given up, decoded again in turn
        std::atomic<std::size_t> next{0};
        std::atomic<std::int64_t> held{0};
    };

    QImage decode(const std::string& path);
    void decodeSomeAhead();
    void finishDecodingAhead();

    std::map<std::string, QImage> decoded_;
    std::int64_t left_;
    std::unique_ptr<Ahead> ahead_;
    std::thread worker_;
};

} // namespace specialty
