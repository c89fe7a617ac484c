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

// A file name's letters folded to one case, in the code page (ASCII is the same in both).
std::string foldedCase(std::string_view fileName) {
    std::string folded = isAscii(fileName) ? std::string(fileName) : utf8ToWindows1252(fileName);
    upperWindows1252InPlace(folded.data(), folded.size());
    return folded;
}

// The name in the data folder of the file of a part code (plain, see isPlainPartName()) with `suffix`, as
// partFilePath() names it.
std::string partFileName(std::string_view code, std::string_view suffix) {
    std::string name = isAscii(code) ? std::string(code) : windows1252ToUtf8(code);
    name += suffix;
    return name;
}

} // namespace

std::unordered_multimap<std::string, std::string> PartFiles::namesByFoldedCase() {
    std::unordered_multimap<std::string, std::string> names;
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator(folder_, error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        names.emplace(foldedCase(name), name);
    }
    if (error) {
        unlisted_ = error.message();
        names.clear();
    }
    return names;
}

PartFiles::PartFiles(std::string dataFolder, PictureCheck showsWhole, FindingStream& out)
    : folder_(std::move(dataFolder)), showsWhole_(std::move(showsWhole)), out_(out),
      names_(namesByFoldedCase()) {}

void PartFiles::use(std::string_view code, std::int64_t position, std::uint64_t line, const Failure* mark) {
    if (full_) return;
    std::uint64_t unused = 0;
    const StringSet::Added added = codes_.add(code, unused);
    if (added == StringSet::Added::Present) return;
    if (added == StringSet::Added::Full) {
        full_ = true;
        Failure full(CheckFault::TooManyPartCodes);
        full.record = position;
        out_.add(Finding::Level::Warning, line, marked(mark, std::move(full)));
        return;
    }
    check(std::string(code), position, line, mark);
}

void PartFiles::check(const std::string& code, std::int64_t position, std::uint64_t line,
                      const Failure* mark) {
    // A file the viewer does not find because its name differs from the code in letter case alone.
    // What the folder's listing says of a file name, found with one look: whether it lists the name, and
    // a file the viewer does not find because its name differs in letter case alone. A name the listing
    // lacks is missing without asking the file system: most codes of a catalogue whose pictures are not
    // yet made have none.
    struct Listed {
        bool exactly = false;
        bool inAnyCase = false; // the listing holds it, or a name that differs in letter case alone
        std::string otherCase;  // a name that differs from it in letter case alone, or empty
    };
    auto listed = [&](const std::string& name) {
        Listed found;
        found.exactly = !unlisted_.empty(); // no listing: the file is asked for on its own
        found.inAnyCase = found.exactly;
        if (names_.empty()) return found; // a folder without files, as before its pictures are made
        for (auto [first, last] = names_.equal_range(foldedCase(name)); first != last; ++first) {
            found.inAnyCase = true;
            if (first->second == name)
                found.exactly = true;
            else if (found.otherCase.empty())
                found.otherCase = first->second;
        }
        return found;
    };
    // A finding about the code's files: `file` the one at fault (its name in the folder).
    auto warn = [&](CheckFault fault, std::string file = {}, std::string otherCase = {}) {
        Failure found(fault);
        found.value = code;
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
    // The folder is asked about a file only when its listing holds the name in some letter case.
    const std::string pictureName = partFileName(code, kPictureSuffix);
    const Listed pictureListing = listed(pictureName);
    if (!pictureListing.exactly || !isRegularFile(folder_ + pictureName))
        add(warn(CheckFault::NoPicture, pictureName, pictureListing.otherCase));
    else if (Status whole = showsWhole_(folder_ + pictureName); !whole)
        add(causedBy(warn(CheckFault::PictureNotWhole, pictureName), whole.error()));
    // The viewer follows such a link; the review sheet, made to be shared, does not. A name the listing
    // lacks in every letter case leads nowhere, and its path is not followed.
    const std::string descriptionName = partFileName(code, kDescriptionSuffix);
    const Listed descriptionListing = listed(descriptionName);
    for (const auto& [name, listing] :
         {std::pair{&pictureName, &pictureListing}, std::pair{&descriptionName, &descriptionListing}})
        if (std::string target = listing->inAnyCase ? inside_.outsideTarget(folder_ + *name) : std::string();
            !target.empty()) {
            Failure outside = warn(CheckFault::PartFileLeadsOutside, *name);
            outside.expected = std::move(target);
            add(std::move(outside));
        }
    // The viewer shows a description it cannot open as an empty one, the same as a missing one.
    if (const Listed& listing = descriptionListing;
        !listing.exactly || !isRegularFile(folder_ + descriptionName)) {
        add(warn(CheckFault::NoDescription, descriptionName, listing.otherCase));
    } else if (Status opened = RegularFile().open(folder_ + descriptionName); !opened) {
        add(causedBy(warn(CheckFault::DescriptionUnreadable, descriptionName), opened.error()));
    }
}

void PartFiles::findUnused() {
    if (!unlisted_.empty()) {
        Failure unlisted(CheckFault::FolderUnlisted);
        unlisted.why = unlisted_;
        out_.add({Finding::Level::Warning, folder_, 0, std::move(unlisted)});
        return;
    }
    if (full_) return; // not every code used is known
    std::vector<std::pair<std::string, CheckFault>> unused;
    for (const auto& folded : names_) { // the folder as listed when the check began
        const std::string& name = folded.second;
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
