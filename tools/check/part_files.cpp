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

Listed listed(const PartListing& listing, std::pair<const PartListing::Name*, const PartListing::Name*> named,
              PartListing::Kind kind, const std::string& name) {
    Listed found;
    found.exactly = !listing.unlisted().empty(); // no listing: the file is asked for on its own
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

} // namespace

PartFiles::PartFiles(std::string dataFolder, PictureCheck showsWhole, FindingStream& out)
    : folder_(std::move(dataFolder)), showsWhole_(std::move(showsWhole)), out_(out), listing_(folder_) {}

void PartFiles::firstUse(bool added, std::string_view code, std::int64_t position, std::uint64_t line,
                         const Failure* mark) {
    if (added) {
        check(code, position, line, mark);
        return;
    }
    full_ = true;
    Failure full(CheckFault::TooManyPartCodes);
    full.record = position;
    out_.add(Finding::Level::Warning, line, marked(mark, std::move(full)));
}

void PartFiles::check(std::string_view code, std::int64_t position, std::uint64_t line, const Failure* mark) {
    // A finding about the code's files: `file` the one at fault (its name in the folder).
    const std::string value(code);
    auto warn = [&](CheckFault fault, std::string file = {}, std::string otherCase = {}) {
        Failure found(fault);
        found.value = value;
        found.record = position;
        found.file = std::move(file);
        found.expected = std::move(otherCase);
        return found;
    };
    auto add = [&](Failure&& found) { // moved once, into the finding handed on
        if (mark)
            out_.add(Finding::Level::Warning, line, causedBy(*mark, std::move(found)));
        else
            out_.add(Finding::Level::Warning, line, std::move(found));
    };
    if (!isPlainPartName(code)) {
        add(warn(CheckFault::PartCodeNotAName));
        return;
    }
    // The names of the code's files in the data folder, as partFilePath() names them, and what the listing
    // holds of either in any letter case, found with one look.
    const std::string shown = isAscii(code) ? std::string(code) : windows1252ToUtf8(code);
    const auto named = listing_.named(PartListing::folded(code, shown));
    std::string pictureName = std::string(shown).append(kPictureSuffix);
    std::string descriptionName = std::string(shown).append(kDescriptionSuffix);
    Listed picture = listed(listing_, named, PartListing::Kind::Picture, pictureName);
    Listed description = listed(listing_, named, PartListing::Kind::Description, descriptionName);
    // A path is made only for a name the listing holds in some letter case, once.
    const std::string picturePath = picture.inAnyCase ? folder_ + pictureName : std::string();
    const std::string descriptionPath = description.inAnyCase ? folder_ + descriptionName : std::string();

    // The folder is asked about a file only when its listing holds the name in some letter case.
    if (!picture.exactly || !isRegularFile(picturePath))
        add(warn(CheckFault::NoPicture, pictureName, std::move(picture.otherCase)));
    else if (Status whole = showsWhole_(picturePath); !whole)
        add(causedBy(warn(CheckFault::PictureNotWhole, pictureName), whole.error()));
    // The viewer follows such a link; the review sheet, made to be shared, does not. A name the listing
    // lacks in every letter case leads nowhere, and its path is not followed.
    for (const auto& [name, path] :
         {std::pair{&pictureName, &picturePath}, std::pair{&descriptionName, &descriptionPath}})
        if (std::string target = path->empty() ? std::string() : inside_.outsideTarget(*path);
            !target.empty()) {
            Failure outside = warn(CheckFault::PartFileLeadsOutside, *name);
            outside.expected = std::move(target);
            add(std::move(outside));
        }
    // The viewer shows a description it cannot open as an empty one, the same as a missing one.
    if (!description.exactly || !isRegularFile(descriptionPath)) {
        add(warn(CheckFault::NoDescription, std::move(descriptionName), std::move(description.otherCase)));
    } else if (Status opened = RegularFile().open(descriptionPath); !opened) {
        add(causedBy(warn(CheckFault::DescriptionUnreadable, std::move(descriptionName)), opened.error()));
    }
}

void PartFiles::findUnused() {
    if (!listing_.unlisted().empty()) {
        Failure unlisted(CheckFault::FolderUnlisted);
        unlisted.why = listing_.unlisted();
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
