#include "tools/sheet/sheet_part_pass.h"

#include "tools/folder_bounds.h"
#include "tools/sheet/sheet_part_files.h"

#include <QtConcurrent/QtConcurrentMap>

#include <cstring>
#include <mutex>
#include <optional>

namespace specialty {

namespace {

// Parts read at once by the threads, and uses held for them, at most.
constexpr std::size_t kBatchParts = 256;
constexpr std::size_t kHeldUses = std::size_t{1} << 16;

// Fixed-size fields in the machine's order; a sort key most significant byte first, so that it sorts as
// it counts.
template <typename T>
void put(std::string& to, T value) {
    to.append(reinterpret_cast<const char*>(&value), sizeof value);
}
void putKey(std::string& to, std::uint32_t key) {
    for (int shift = 24; shift >= 0; shift -= 8)
        to += static_cast<char>((key >> shift) & 0xff);
}

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    template <typename T>
    T get() {
        T value{};
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    std::uint32_t key() {
        std::uint32_t key = 0;
        for (int n = 0; n < 4; ++n)
            key = (key << 8) | static_cast<unsigned char>(bytes_[at_++]);
        return key;
    }
    std::string_view rest() const { return bytes_.substr(at_); }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

bool byKey(std::string_view a, std::string_view b, std::size_t keyBytes) {
    return a.substr(0, keyBytes) < b.substr(0, keyBytes);
}

std::string slotBytes(std::uint32_t position, std::uint8_t slot, std::uint32_t index, const SheetPart& part) {
    std::string bytes;
    putKey(bytes, position);
    put(bytes, slot);
    put(bytes, index);
    put(bytes, part.picture);
    put(bytes, part.description);
    put(bytes, part.thumbWidth);
    put(bytes, part.thumbHeight);
    return bytes.append(part.code);
}

// A part whose uses are being gathered or whose files wait to be read.
struct Pending {
    PartEntry entry;
    bool read = false;
    bool open = true; // more of its uses may come
    std::uint32_t lastUser = 0;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> uses; // (record, slot) not yet handed on
};

class Pass {
  public:
    Pass(SheetModel& model, const std::function<std::uint32_t(std::uint32_t)>& position,
         const std::string& dataFolder, const SheetFolder& folder, const PictureModule& pictures,
         PartPass& out)
        : model_(model), position_(position), dataFolder_(dataFolder), folder_(folder), pictures_(pictures),
          out_(out), inside_(dataFolder) {}

    Status run(const std::function<void(std::size_t)>& progress);

  private:
    void startPart(std::string_view code);
    void flush();
    void finish(Pending& pending);

    SheetModel& model_;
    const std::function<std::uint32_t(std::uint32_t)>& position_;
    const std::string& dataFolder_;
    const SheetFolder& folder_;
    const PictureModule& pictures_;
    PartPass& out_;
    const FolderBounds inside_;
    std::vector<Pending> batch_;
    std::size_t held_ = 0;
    std::optional<Failure> failure_;
};

void Pass::startPart(std::string_view code) {
    Pending pending;
    pending.entry.index = static_cast<std::uint32_t>(out_.parts++);
    pending.entry.part.code = std::string(code);
    out_.codes->add(partFindingEntry(code, pending.entry.index));
    batch_.push_back(std::move(pending));
}

void Pass::flush() {
    std::vector<Pending*> unread;
    for (Pending& pending : batch_)
        if (!pending.read) unread.push_back(&pending);
    std::mutex lock;
    std::uint32_t failedPart = 0;
    QtConcurrent::blockingMap(unread, [&](Pending* pending) {
        std::optional<Failure> failed = readPart(pending->entry.part, model_.texts, pending->entry.index,
                                                 dataFolder_, inside_, folder_, pictures_);
        pending->read = true;
        if (!failed) return;
        const std::lock_guard<std::mutex> held(lock);
        if (!failure_ || pending->entry.index < failedPart) { // the first part's, whatever thread was first
            failedPart = pending->entry.index;
            failure_ = std::move(failed);
        }
    });
    std::vector<Pending> open;
    for (Pending& pending : batch_) {
        for (const auto& [record, slot] : pending.uses)
            out_.slots->add(slotBytes(position_(record), slot, pending.entry.index, pending.entry.part));
        pending.uses.clear();
        if (pending.open)
            open.push_back(std::move(pending));
        else
            finish(pending);
    }
    batch_ = std::move(open);
    held_ = 0;
}

void Pass::finish(Pending& pending) {
    const SheetPart& part = pending.entry.part;
    if (part.pictureJudged != SheetPart::Judged::No)
        out_.judgedPictures.emplace(part.code, DecodedJudgement{part.pictureJudged, part.texts});
    out_.pictures[static_cast<int>(part.picture)] += 1;
    out_.descriptions[static_cast<int>(part.description)] += 1;
    if (pending.entry.index % kPartsPerPage == 0)
        out_.pageCodes.emplace_back(part.code, part.code);
    else
        out_.pageCodes.back().second = part.code;
    out_.entries->add(partEntryBytes(pending.entry));
}

Status Pass::run(const std::function<void(std::size_t)>& progress) {
    for (SortedStream uses(*model_.uses); uses.more() && !failure_;) {
        if (batch_.size() >= kBatchParts) flush();
        if (progress && out_.parts % 1024 == 0) progress(out_.parts);
        const std::string code(readUsesEntry(uses.head()).code);
        startPart(code);
        for (; uses.more() && !failure_; uses.pop()) {
            const CodeEntry use = readUsesEntry(uses.head());
            if (use.code != code) break;
            Pending& pending = batch_.back();
            if (pending.entry.userCount == 0 || use.number != pending.lastUser) { // each record once
                pending.lastUser = use.number;
                pending.entry.userCount += 1;
                if (pending.entry.users.size() < kUsersShown) pending.entry.users.push_back(use.number);
            }
            pending.uses.emplace_back(use.number, use.slot);
            if (++held_ >= kHeldUses) flush(); // a part of very many uses is read before its uses end
        }
        if (!batch_.empty()) batch_.back().open = false;
    }
    if (!failure_) flush();
    if (failure_) return Status::failure(*failure_);
    if (model_.uses->failure()) return Status::failure(*model_.uses->failure());
    if (std::optional<Failure> lost = model_.texts.failure()) return Status::failure(*lost);
    return Done{};
}

} // namespace

std::string partEntryBytes(const PartEntry& entry) {
    std::string bytes;
    putKey(bytes, entry.index);
    put(bytes, entry.part.picture);
    put(bytes, entry.part.description);
    put(bytes, entry.part.thumbWidth);
    put(bytes, entry.part.thumbHeight);
    put(bytes, entry.part.texts);
    put(bytes, entry.userCount);
    put(bytes, static_cast<std::uint32_t>(entry.users.size()));
    for (std::uint32_t user : entry.users)
        put(bytes, user);
    return bytes.append(entry.part.code);
}

PartEntry readPartEntry(std::string_view bytes) {
    Reader in(bytes);
    PartEntry entry;
    entry.index = in.key();
    entry.part.picture = in.get<SheetPart::File>();
    entry.part.description = in.get<SheetPart::File>();
    entry.part.thumbWidth = in.get<std::uint16_t>();
    entry.part.thumbHeight = in.get<std::uint16_t>();
    entry.part.texts = in.get<std::uint64_t>();
    entry.userCount = in.get<std::uint32_t>();
    entry.users.resize(in.get<std::uint32_t>());
    for (std::uint32_t& user : entry.users)
        user = in.get<std::uint32_t>();
    entry.part.code = std::string(in.rest());
    return entry;
}

SlotEntry readSlotEntry(std::string_view bytes) {
    Reader in(bytes);
    SlotEntry slot;
    slot.position = in.key();
    slot.slot = in.get<std::uint8_t>();
    slot.part = in.get<std::uint32_t>();
    slot.picture = in.get<SheetPart::File>();
    slot.description = in.get<SheetPart::File>();
    slot.thumbWidth = in.get<std::uint16_t>();
    slot.thumbHeight = in.get<std::uint16_t>();
    slot.code = in.rest();
    return slot;
}

PartPass::PartPass()
    : entries(
          std::make_unique<SpillSort>([](std::string_view a, std::string_view b) { return byKey(a, b, 4); })),
      slots(
          std::make_unique<SpillSort>([](std::string_view a, std::string_view b) { return byKey(a, b, 5); })),
      codes(std::make_unique<SpillSort>([](std::string_view a, std::string_view b) {
          return a.substr(4) < b.substr(4); // made in this order already: each run is sorted as it is
      })),
      findings(
          std::make_unique<SpillSort>([](std::string_view a, std::string_view b) { return byKey(a, b, 4); })),
      partFindings(
          std::make_unique<SpillSort>([](std::string_view a, std::string_view b) { return byKey(a, b, 8); })),
      recordFindings(std::make_unique<SpillSort>(
          [](std::string_view a, std::string_view b) { return byKey(a, b, 8); })) {}

std::string findingEntry(std::uint32_t key, std::uint32_t number, const SheetFinding& finding) {
    std::string bytes;
    putKey(bytes, key);
    putKey(bytes, number);
    return bytes + findingBytes(finding);
}

FindingEntry readFindingEntry(std::string_view bytes) {
    Reader in(bytes);
    FindingEntry entry;
    entry.key = in.key();
    entry.number = in.key();
    readFinding(in.rest(), entry.finding); // made by findingEntry()
    return entry;
}

Status readParts(SheetModel& model, const std::function<std::uint32_t(std::uint32_t record)>& position,
                 const std::string& dataFolder, const SheetFolder& folder, const PictureModule& pictures,
                 PartPass& pass, const std::function<void(std::size_t done)>& progress) {
    Pass run(model, position, dataFolder, folder, pictures, pass);
    Status done = run.run(progress);
    pass.entries->finish();
    pass.slots->finish();
    pass.codes->finish();
    return done;
}

Status attachPartFindings(SheetModel& model, PartPass& pass,
                          const std::function<std::uint32_t(std::uint32_t record)>& position) {
    SortedStream codes(*pass.codes);
    for (SortedStream findings(*model.partFindings); findings.more() && codes.more(); findings.pop()) {
        const CodeEntry finding = readPartFindingEntry(findings.head());
        for (; codes.more() && readPartFindingEntry(codes.head()).code < finding.code; codes.pop()) {
        }
        if (!codes.more()) break;
        const CodeEntry part = readPartFindingEntry(codes.head());
        if (part.code != finding.code) continue; // a code no record uses: no part
        pass.findings->add(SheetFindings::partEntry(finding.number, part.number));
    }
    pass.findings->finish();
    for (const SpillSort* sort : {model.partFindings.get(), pass.codes.get()})
        if (sort->failure()) return Status::failure(*sort->failure());
    model.findings.attachParts(*pass.findings, [&](std::uint32_t n, const SheetFinding& f) {
        // Each sort keeps what its page shows: a vehicle the level, message and part; a part the lead too.
        SheetFinding shown{f.level, {}, f.line, f.message, f.record, f.part, {}};
        if (f.part >= 0) {
            shown.file = f.file;
            pass.partFindings->add(findingEntry(static_cast<std::uint32_t>(f.part), n, shown));
            shown.file.clear();
        }
        if (f.record >= 0)
            pass.recordFindings->add(findingEntry(position(static_cast<std::uint32_t>(f.record)), n, shown));
    });
    pass.partFindings->finish();
    pass.recordFindings->finish();
    if (model.findings.failure()) return Status::failure(*model.findings.failure());
    return Done{};
}

} // namespace specialty
