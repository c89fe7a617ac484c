#include "picture_set.h"
#include "pictures/picture_fault.h"

#include <QByteArray>
#include <QCache>
#include <QDeadlineTimer>
#include <QFutureWatcher>
#include <QPromise>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace specialty {

namespace {

QByteArray keyOf(const std::string& path) {
    return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

// What is left of `deadline`, bounded so that a wait on it never overflows the clock.
std::chrono::nanoseconds remaining(const QDeadlineTimer& deadline) {
    return std::min<std::chrono::nanoseconds>(deadline.remainingTimeAsDuration(), std::chrono::hours(1));
}

} // namespace

struct PictureSet::Shared {
    // A picture settled: decoded, or given up. Its cost in the cache is what is kept of it, reckoned from
    // its header before it is decoded, whether it decodes or not, so that what fits never depends on which
    // decoding ends first: its file's bytes and its previews (one a slot size, in device pixels), or the
    // whole picture when it has no previews.
    struct Entry {
        std::shared_ptr<PictureSource> source; // null when it failed
        std::vector<QImage> previews;
        bool settled = false;
    };
    struct Job {
        std::string path;
        std::vector<QSize> previewSizes;
        QPromise<void> promise;
    };

    Shared(std::int64_t budgetBytes, Times times)
        : firstPaint(times.firstPaintMs), picturesDue(times.picturesMs) {
        cache.setMaxCost(static_cast<qsizetype>(budgetBytes));
    }

    bool claim(std::size_t& job);
    void settle(std::size_t job);
    bool reserve(const QByteArray& key, const PictureInput& input, QSize decodedSize, std::int64_t keptBytes);
    void keep(const QByteArray& key, std::shared_ptr<PictureSource> source, std::vector<QImage> previews);
    bool isSettled(const QByteArray& key) const {
        const Entry* entry = cache.object(key);
        return entry && entry->settled;
    }

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::unique_ptr<Job>> jobs;
    std::size_t claimed = 0; // jobs are taken in order
    std::size_t turn = 0;    // and judged against the budget in order
    QCache<QByteArray, Entry> cache;
    std::atomic<bool> stop{false};
    const QDeadlineTimer firstPaint;
    const QDeadlineTimer picturesDue;
};

bool PictureSet::Shared::claim(std::size_t& job) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (claimed >= jobs.size()) return false;
    job = claimed++;
    return true;
}

bool PictureSet::Shared::reserve(const QByteArray& key, const PictureInput& input, QSize decodedSize,
                                 std::int64_t keptBytes) {
    if (!input.problem && pictureFits(input, keptBytes, cache.maxCost() - cache.totalCost(), decodedSize))
        return cache.insert(key, new Entry, static_cast<qsizetype>(keptBytes));
    auto* failed = new Entry;
    failed->settled = true;
    cache.insert(key, failed, 0);
    return false;
}

void PictureSet::Shared::keep(const QByteArray& key, std::shared_ptr<PictureSource> source,
                              std::vector<QImage> previews) {
    const std::lock_guard<std::mutex> lock(mutex);
    Entry* entry = cache.object(key);
    entry->source = std::move(source);
    entry->previews = std::move(previews);
    entry->settled = true;
}

void PictureSet::Shared::settle(std::size_t index) {
    Job& job = [&]() -> Job& { // the caller's thread may add jobs meanwhile
        const std::lock_guard<std::mutex> lock(mutex);
        return *jobs[index];
    }();
    job.promise.start();
    const QByteArray key = keyOf(job.path);
    PictureInput input;
    if (stop || picturesDue.hasExpired()) {
        input.problem = Failure(PictureFault::TimeIsUp);
    } else {
        try {
            input = readPicture(job.path);
        } catch (const std::bad_alloc&) {
            input = PictureInput();
            input.problem = Failure(PictureFault::OutOfMemory);
        }
    }
    // With previews, only they are decoded now, at the largest of their sizes, and they and the bytes are
    // kept; without, the picture is decoded and kept whole.
    QSize decodedSize;
    std::int64_t keptBytes = static_cast<std::int64_t>(input.bytes.size());
    for (const QSize& size : job.previewSizes) {
        decodedSize = decodedSize.expandedTo(size);
        keptBytes += static_cast<std::int64_t>(size.width()) * size.height() * 4;
    }
    if (!decodedSize.isValid()) keptBytes = input.pixelBytes;
    bool fits = false;
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return turn == index; });
        fits = reserve(key, input, decodedSize, keptBytes);
        ++turn;
    }
    changed.notify_all();
    std::shared_ptr<PictureSource> source;
    std::vector<QImage> previews;
    if (fits) {
        const int kilobytes = decodingKilobytesOf(decodingBytesOf(input, decodedSize));
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(remaining(picturesDue));
        if (decodingKilobytes().tryAcquire(kilobytes, static_cast<int>(wait.count()))) {
            try {
                const Result<QImage> decoded =
                    decodePicture(input, DecodingStop{&stop, picturesDue}, decodedSize);
                const QImage image = decoded ? *decoded : QImage();
                for (const QSize& size : job.previewSizes)
                    if (!image.isNull())
                        previews.push_back(size == image.size() ? image
                                                                : image.scaled(size, Qt::IgnoreAspectRatio,
                                                                               Qt::SmoothTransformation));
                if (!image.isNull())
                    source = decodedSize.isValid() ? std::make_shared<PictureSource>(std::move(input))
                                                   : std::make_shared<PictureSource>(image);
            } catch (const std::bad_alloc&) {
                source.reset();
                previews.clear();
            }
            decodingKilobytes().release(kilobytes);
        }
    }
    input = PictureInput();
    if (fits) keep(key, std::move(source), std::move(previews));
    changed.notify_all();
    job.promise.finish();
}

PictureSet::PictureSet(std::int64_t budgetBytes, Times times, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>(budgetBytes, times)) {}

PictureSet::~PictureSet() {
    for (QFutureWatcher<void>* watcher : watchers_)
        delete watcher; // no delivery after this
    shared_->stop = true;
    for (QThread* worker : workers_) {
        worker->wait(); // the decoders read no further: each ends within its current step
        delete worker;
    }
}

void PictureSet::decodeAhead(std::vector<Wanted> wanted) {
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        for (Wanted& picture : wanted) {
            auto known = std::find_if(shared_->jobs.begin(), shared_->jobs.end(),
                                      [&](const auto& job) { return job->path == picture.path; });
            if (known == shared_->jobs.end()) {
                shared_->jobs.push_back(std::make_unique<Shared::Job>());
                shared_->jobs.back()->path = std::move(picture.path);
                known = shared_->jobs.end() - 1;
            }
            std::vector<QSize>& sizes = (*known)->previewSizes;
            if (picture.previewSize.isValid() &&
                std::find(sizes.begin(), sizes.end(), picture.previewSize) == sizes.end())
                sizes.push_back(picture.previewSize);
        }
    }
    awaited_.assign(shared_->jobs.size(), false);
    for (std::size_t i = 0; i < shared_->jobs.size(); ++i) {
        auto* watcher = new QFutureWatcher<void>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, i] { settled(i); });
        watcher->setFuture(shared_->jobs[i]->promise.future());
        watchers_.push_back(watcher);
    }
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 2);
    for (int i = 0; i < threads && static_cast<std::size_t>(i) < shared_->jobs.size(); ++i) {
        QThread* worker = QThread::create([shared = shared_] {
            for (std::size_t job; shared->claim(job);)
                shared->settle(job);
        });
        worker->start();
        if (!worker->isRunning() && !worker->isFinished()) { // the system would not start a thread
            delete worker;
            break;
        }
        workers_.push_back(worker);
    }
    if (workers_.empty()) decodeOnThisThreadLater();
}

void PictureSet::decodeOnThisThreadLater() {
    // One picture per turn of the event loop, so that the window paints and answers between them.
    QTimer::singleShot(0, this, [this] {
        std::size_t job = 0;
        if (!shared_->claim(job)) return;
        shared_->settle(job);
        decodeOnThisThreadLater();
    });
}

void PictureSet::settled(std::size_t job) {
    if (job >= awaited_.size() || !awaited_[job]) return;
    awaited_[job] = false;
    Q_EMIT pictureDecoded(keyOf(shared_->jobs[job]->path));
}

QImage PictureSet::picture(const std::string& path) {
    const std::shared_ptr<PictureSource> found = source(path);
    return found ? found->whole() : QImage();
}

std::shared_ptr<PictureSource> PictureSet::source(const std::string& path) {
    Shared& shared = *shared_;
    const QByteArray key = keyOf(path);
    bool ahead = false;
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        const auto known = std::find_if(shared.jobs.begin(), shared.jobs.end(),
                                        [&](const auto& job) { return job->path == path; });
        ahead = static_cast<std::size_t>(known - shared.jobs.begin()) < awaited_.size();
        if (known == shared.jobs.end()) { // not decoded ahead: decoded now, after those that are
            shared.jobs.push_back(std::make_unique<Shared::Job>());
            shared.jobs.back()->path = path;
        }
    }
    // This thread decodes what no worker has taken: a picture not decoded ahead, or, when no worker could
    // start, those decoded ahead until the first paint is due.
    if (!ahead || workers_.empty())
        for (std::size_t job = 0;
             !isSettledNow(key) && !(ahead && shared.firstPaint.hasExpired()) && shared.claim(job);)
            shared.settle(job);
    std::unique_lock<std::mutex> lock(shared.mutex);
    if (ahead)
        shared.changed.wait_for(lock, remaining(shared.firstPaint), [&] { return shared.isSettled(key); });
    else
        shared.changed.wait(lock, [&] { return shared.isSettled(key); });
    if (shared.isSettled(key)) return shared.cache.object(key)->source;
    for (std::size_t i = 0; i < awaited_.size(); ++i)
        if (shared.jobs[i]->path == path) awaited_[i] = true;
    return nullptr;
}

bool PictureSet::isSettledNow(const QByteArray& key) const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->isSettled(key);
}

bool PictureSet::decoding(const std::string& path) const {
    return !isSettledNow(keyOf(path));
}

QImage PictureSet::preview(const std::string& path, QSize size) const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    const Shared::Entry* entry = shared_->cache.object(keyOf(path));
    if (entry && entry->settled)
        for (const QImage& preview : entry->previews)
            if (preview.size() == size) return preview;
    return QImage();
}

std::int64_t PictureSet::bytesLeft() {
    Shared& shared = *shared_;
    for (std::size_t job = 0; workers_.empty() && shared.claim(job);)
        shared.settle(job);
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.changed.wait(lock, [&] {
        return std::all_of(shared.jobs.begin(), shared.jobs.end(),
                           [&](const auto& job) { return shared.isSettled(keyOf(job->path)); });
    });
    return shared.cache.maxCost() - shared.cache.totalCost();
}

} // namespace specialty
