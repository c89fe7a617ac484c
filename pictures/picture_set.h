// The pictures of one presentation: each picture file is decoded once however many slots show it, and all
// of them together stay within one memory budget. A picture that does not fit counts as missing.
//
// The pictures a presentation will need are decoded ahead on worker threads while the caller does other
// work (at start-up: building the window). Which of them fit the budget is settled in the order given,
// from the sizes their headers give, before any is decoded: the outcome is the same as asking for them
// one by one in that order, whatever the threads finish first, and a picture that does not fit is never
// decoded. A picture asked for waits at most until the presentation's first-paint time; one still being
// decoded then is delivered later by pictureDecoded(), or counts as missing once the presentation's time
// for pictures is up. When no worker thread can be started, the caller's thread decodes, one picture at a
// time between the events of its loop.
#pragma once

#include "picture_loader.h"
#include "picture_source.h"

#include <QByteArray>
#include <QObject>
#include <QSize>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QThread;
template <typename T>
class QFutureWatcher;

namespace specialty {

// What one presentation may keep of its pictures: their files' bytes and their previews (or the pictures
// themselves, decoded whole, where there are no previews). Sixteen 12-megapixel photographs of 6 MB each
// take 96 MB and their previews under 2 MB. The decodings under way are bounded apart (kDecodingBytes).
constexpr std::int64_t kPresentationPictureBytes = 112 * 1024 * 1024;
// How long a presentation waits for its pictures before the window paints, and how long its pictures may
// take before they count as missing (kPictureTimeMs), both from the moment decoding begins.
constexpr int kFirstPaintWaitMs = 500;

struct PictureTimes {
    int firstPaintMs = kFirstPaintWaitMs;
    int picturesMs = kPictureTimeMs;
};

class PictureSet : public QObject {
    Q_OBJECT

  public:
    using Times = PictureTimes;
    explicit PictureSet(std::int64_t budgetBytes = kPresentationPictureBytes, Times times = {},
                        QObject* parent = nullptr);
    // Stops every decoding under way and waits for the threads, which stop at their next read.
    ~PictureSet() override;
    PictureSet(const PictureSet&) = delete;
    PictureSet& operator=(const PictureSet&) = delete;

    // A picture to decode ahead, and the size to scale a preview of it to (none when not valid). A picture
    // with previews is decoded only at their size, and its file's bytes are kept for its whole picture,
    // which is decoded from them when first asked for; one without is decoded whole.
    struct Wanted {
        std::string path;
        QSize previewSize;
    };
    // Starts decoding the pictures. Called once, before any picture is asked for.
    void decodeAhead(std::vector<Wanted> wanted);

    // The picture at `path`, shared with every earlier request for the same path; null when it cannot be
    // shown (a failure is remembered too, so a bad file is read once), or while it is still decoding.
    // A picture not decoded ahead is decoded now, after those that are, as if asked for after them.
    QImage picture(const std::string& path);
    // The same as picture(), without decoding the picture whole: what gives it, null when it cannot be
    // shown or is still decoding.
    std::shared_ptr<PictureSource> source(const std::string& path);
    // True while the picture at `path`, decoded ahead, is not settled; pictureDecoded() follows.
    bool decoding(const std::string& path) const;

    // The picture at `path` at `size`, made ahead; null when none was (then the picture is scaled where it
    // is shown). The budget holds what is kept: the file's bytes and the previews, or the whole picture.
    QImage preview(const std::string& path, QSize size) const;

    // What is left of the budget once every picture decoded ahead is settled.
    std::int64_t bytesLeft();

  Q_SIGNALS:
    // A picture decoded ahead that was asked for while it was still decoding is settled: picture(path)
    // now gives it (null when it failed or its time was up).
    void pictureDecoded(const QByteArray& path);

  private:
    struct Shared;

    void decodeOnThisThreadLater();
    void settled(std::size_t job);
    bool isSettledNow(const QByteArray& key) const;

    std::shared_ptr<Shared> shared_;
    std::vector<QThread*> workers_;
    std::vector<QFutureWatcher<void>*> watchers_;
    std::vector<bool> awaited_; // of each job: asked for before it was settled
};

} // namespace specialty
