#include "tools/check/part_files.h"
#include "tools/check/check_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "catalogue/regular_file.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_search.h"

#include <algorithm>
#include <filesystem>

namespace specialty {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What the folder's listing says of one file of a code, found with the code's one look: whether it lists
// the name, and a file the viewer does not find because its name differs in letter case alone. A name the
// listing lacks is missing without asking the file system: most codes of a catalogue whose pictures are
// not yet made have none.
struct Listed {
    bool exactly = false;
    bool inAnyCase = false; // the listing holds it, or a name that differs in letter case alone
    std::string otherCase;  // a name that differs from it in letter case alone, or empty
};

Listed listed(const PartListing& listing, PartListing::Range named, PartListing::Kind kind,
              const std::string& name) {
    Listed found;
    found.exactly = !listing.complete(); // no listing: the file is asked for on its own
    found.inAnyCase = found.exactly;
    for (auto [n, last] = named; n != last; ++n) {
        if (n->kind != kind) continue;
        found.inAnyCase = true;
        if (n->name == name)
            found.exactly = true;
        else if (found.otherCase.empty())
            found.otherCase = n->name;
    }
    return found;
}

// The name of a code's file: the code as the file system names it, then `suffix`.
std::string fileName(std::string_view shown, std::string_view suffix) {
    std::string name(shown.size() + suffix.size(), '\0');
    shown.copy(name.data(), shown.size());
    suffix.copy(name.data() + shown.size(), suffix.size());
    return name;
}

// A finding about a code's files: `file` the one at fault (its name in the folder).
Failure partFault(CheckFault fault, const PartFiles::Use& use, std::string file = {},
                  std::string otherCase = {}) {
    Failure found(fault);
    found.value = std::string(use.code);
    found.record = use.position;
    found.file = std::move(file);
    found.expected = std::move(otherCase);
    return found;
}

} // namespace

PartFiles::PartFiles(std::string dataFolder, PictureCheck showsWhole, FindingStream& out)
    : folder_(std::move(dataFolder)), showsWhole_(std::move(showsWhole)), out_(out), listing_(folder_) {}

void PartFiles::firstUse(bool added, const Use& use) {
    if (added) {
        check(use);
        return;
    }
    full_ = true;
    Failure full(CheckFault::TooManyPartCodes);
    full.record = use.position;
    out_.add(Finding::Level::Warning, use.line, marked(use.mark, std::move(full)));
}

void PartFiles::report(const Use& use, Failure&& found) {
    if (use.mark)
        out_.add(Finding::Level::Warning, use.line, causedBy(*use.mark, std::move(found)));
    else
        out_.add(Finding::Level::Warning, use.line, std::move(found));
}

void PartFiles::check(const Use& use) {
    if (!isPlainPartName(use.code)) {
        report(use, partFault(CheckFault::PartCodeNotAName, use));
        return;
    }
    // The names of the code's files in the data folder, as partFilePath() names them, and what the listing
    // holds of either in any letter case, found with one look.
    const std::string shown = isAscii(use.code) ? std::string(use.code) : windows1252ToUtf8(use.code);
    const PartListing::Range named = listing_.named(PartListing::folded(use.code, shown));
    std::string pictureName = fileName(shown, kPictureSuffix);
    std::string descriptionName = fileName(shown, kDescriptionSuffix);
    if (named.first == named.second && listing_.complete()) {
        // The listing holds neither file in any letter case: both are missing, and nothing is asked.
        report(use, partFault(CheckFault::NoPicture, use, std::move(pictureName)));
        report(use, partFault(CheckFault::NoDescription, use, std::move(descriptionName)));
        return;
    }
    checkListed(use, named, std::move(pictureName), std::move(descriptionName));
}

void PartFiles::checkListed(const Use& use, PartListing::Range named, std::string pictureName,
                            std::string descriptionName) {
    Listed picture = listed(listing_, named, PartListing::Kind::Picture, pictureName);
    Listed description = listed(listing_, named, PartListing::Kind::Description, descriptionName);
    // A path is made only for a name the listing holds in some letter case, once.
    const std::string picturePath = picture.inAnyCase ? folder_ + pictureName : std::string();
    const std::string descriptionPath = description.inAnyCase ? folder_ + descriptionName : std::string();

    // The folder is asked about a file only when its listing holds the name in some letter case.
    if (!picture.exactly || !isRegularFile(picturePath))
        report(use, partFault(CheckFault::NoPicture, use, pictureName, std::move(picture.otherCase)));
    else if (Status whole = showsWhole_(picturePath); !whole)
        report(use, causedBy(partFault(CheckFault::PictureNotWhole, use, pictureName), whole.error()));
    // The viewer follows such a link; the review sheet, made to be shared, does not. A name the listing
    // lacks in every letter case leads nowhere, and its path is not followed.
    for (const auto& [name, path] :
         {std::pair{&pictureName, &picturePath}, std::pair{&descriptionName, &descriptionPath}})
        if (std::string target = path->empty() ? std::string() : inside_.outsideTarget(*path);
            !target.empty()) {
            Failure outside = partFault(CheckFault::PartFileLeadsOutside, use, *name);
            outside.expected = std::move(target);
            report(use, std::move(outside));
        }
    // The viewer shows a description it cannot open as an empty one, the same as a missing one.
    if (!description.exactly || !isRegularFile(descriptionPath)) {
        report(use, partFault(CheckFault::NoDescription, use, std::move(descriptionName),
                              std::move(description.otherCase)));
    } else if (Status opened = RegularFile().open(descriptionPath); !opened) {
        report(use, causedBy(partFault(CheckFault::DescriptionUnreadable, use, std::move(descriptionName)),
                             opened.error()));
    }
}

void PartFiles::findUnused() {
    if (!listing_.complete()) {
        Failure unlisted(listing_.tooLarge() ? CheckFault::FolderTooLarge : CheckFault::FolderUnlisted);
        unlisted.why = listing_.unlisted();
        if (listing_.tooLarge())
            unlisted.limit = static_cast<std::int64_t>(PartListing::kMostBytes / (1024 * 1024));
        out_.add({Finding::Level::Warning, folder_, 0, std::move(unlisted)});
        return;
    }
    if (full_) return; // not every code used is known
    std::vector<std::pair<std::string, CheckFault>> unused;
    for (const PartListing::Name& listed : listing_.names()) { // the folder as listed when the check began
        const std::string& name = listed.name;
        for (auto [suffix, what] : {std::pair{kPictureSuffix, CheckFault::UnusedPicture},
                                    std::pair{kDescriptionSuffix, CheckFault::UnusedDescription}}) {
            if (name.size() <= suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string code = utf8ToWindows1252(name.substr(0, name.size() - suffix.size()));
            if (name != kCatalogueName && !codes_.contains(code) && isRegularFile(folder_ + name))
                unused.emplace_back(name, what);
            break;
        }
    }
    std::sort(unused.begin(), unused.end());
    for (const auto& [name, what] : unused)
        out_.add({Finding::Level::Warning, folder_ + name, 0, Failure(what)});
}

} // namespace specialty
