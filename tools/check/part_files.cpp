#include "check/part_files.h"

#include "data_folder.h"
#include "messages.h"
#include "regular_file.h"
#include "text_encoding.h"
#include "vehicle_search.h"

#include <algorithm>
#include <filesystem>

namespace specialty {

namespace {

std::string foldedCase(std::string_view fileName) {
    std::string folded = utf8ToWindows1252(fileName);
    for (char& c : folded)
        c = static_cast<char>(upperWindows1252(static_cast<unsigned char>(c)));
    return folded;
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

PartFiles::PartFiles(std::string dataFolder, PictureProblem pictureProblem, FindingStream& out,
                     std::string catalogue)
    : folder_(std::move(dataFolder)), pictureProblem_(std::move(pictureProblem)), out_(out),
      catalogue_(std::move(catalogue)), names_(namesByFoldedCase()) {}

void PartFiles::use(std::string_view code, std::int64_t position, std::uint64_t line,
                    const std::string& mark) {
    if (full_) return;
    std::uint64_t unused = 0;
    const StringSet::Added added = codes_.add(code, unused);
    if (added == StringSet::Added::Present) return;
    if (added == StringSet::Added::Full) {
        full_ = true;
        out_.add(
            {Finding::Level::Warning, catalogue_, line,
             mark +
                 "the catalogue uses too many different part codes to check them all: the files of the codes "
                 "first used from " +
                 recordNumbered(position) + " on are not checked"});
        return;
    }
    check(std::string(code), position, line, mark);
}

void PartFiles::check(const std::string& code, std::int64_t position, std::uint64_t line,
                      const std::string& mark) {
    // A file the viewer does not find because its name differs from the code in letter case alone.
    // What the folder's listing says of a file name, found with one look: whether it lists the name, and
    // a file the viewer does not find because its name differs in letter case alone. A name the listing
    // lacks is missing without asking the file system: most codes of a catalogue whose pictures are not
    // yet made have none.
    struct Listed {
        bool exactly = false;
        std::string otherCase; // ", but NAME differs from it in letter case alone", or empty
    };
    auto listed = [&](const std::string& name) {
        Listed found;
        found.exactly = !unlisted_.empty(); // no listing: the file is asked for on its own
        for (auto [first, last] = names_.equal_range(foldedCase(name)); first != last; ++first)
            if (first->second == name)
                found.exactly = true;
            else if (found.otherCase.empty())
                found.otherCase = ", but " + first->second + " differs from it in letter case alone";
        return found;
    };
    const std::string shown =
        "part code " + specialty::quoted(code) + " (first used by " + recordNumbered(position) + ")";
    auto warn = [&](const std::string& message) {
        out_.add({Finding::Level::Warning, catalogue_, line, mark + shown + " " + message});
    };
    const auto picture = partFilePath(folder_, code, kPictureSuffix);
    const auto description = partFilePath(folder_, code, kDescriptionSuffix);
    if (!picture || !description) {
        warn("is not a plain file name: the viewer shows no picture and no description for it");
        return;
    }
    const std::string pictureName = picture->substr(folder_.size());
    if (const Listed listing = listed(pictureName); !listing.exactly || !isRegularFile(*picture))
        warn("has no picture file " + pictureName + listing.otherCase);
    else if (const std::string problem = pictureProblem_(*picture); !problem.empty())
        warn("has a picture file " + pictureName + " that does not show whole: " + problem);
    // The viewer shows a description it cannot open as an empty one, the same as a missing one.
    const std::string descriptionName = description->substr(folder_.size());
    if (const Listed listing = listed(descriptionName); !listing.exactly || !isRegularFile(*description)) {
        warn("has no description file " + descriptionName + listing.otherCase);
    } else if (Status opened = RegularFile().open(*description); !opened) {
        warn("has a description file " + descriptionName + " that cannot be read (" + opened.reason() +
             "): the viewer shows no description for it");
    }
}

void PartFiles::findUnused() {
    if (!unlisted_.empty()) {
        out_.add({Finding::Level::Warning, folder_, 0,
                  "the data folder cannot be listed (" + unlisted_ +
                      "): each part file was asked for by its name, so names that differ in letter case "
                      "alone and files no record uses could not be found"});
        return;
    }
    if (full_) return; // not every code used is known
    std::vector<std::pair<std::string, const char*>> unused;
    for (const auto& folded : names_) { // the folder as listed when the check began
        const std::string& name = folded.second;
        for (auto [suffix, what] :
             {std::pair{kPictureSuffix, "picture"}, std::pair{kDescriptionSuffix, "description"}}) {
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
        out_.add({Finding::Level::Warning, folder_ + name, 0, std::string("no record uses this ") + what});
}

} // namespace specialty
