#include "part_files.h"

#include "data_folder.h"
#include "messages.h"
#include "regular_file.h"
#include "text_encoding.h"
#include "vehicle_search.h"

#include <algorithm>
#include <filesystem>

namespace specialty {

void PartFiles::use(const std::string& code, std::int64_t position, std::uint64_t line) {
    used_.try_emplace(code, Use{position, line});
}

namespace {

std::string foldedCase(std::string_view fileName) {
    std::string folded = utf8ToWindows1252(fileName);
    for (char& c : folded)
        c = static_cast<char>(upperWindows1252(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

std::unordered_multimap<std::string, std::string> PartFiles::namesByFoldedCase() const {
    std::unordered_multimap<std::string, std::string> names;
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator(folder_, error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        names.emplace(foldedCase(name), name);
    }
    return names;
}

void PartFiles::check(const PictureProblem& pictureProblem, const std::string& catalogue,
                      std::vector<Finding>& out) const {
    const auto names = namesByFoldedCase();
    // A file the viewer does not find because its name differs from the code in letter case alone.
    auto otherCase = [&](const std::string& wanted) -> std::string {
        auto [first, last] = names.equal_range(foldedCase(wanted));
        for (; first != last; ++first)
            if (first->second != wanted)
                return ", but " + first->second + " differs from it in letter case alone";
        return std::string();
    };
    std::vector<std::pair<const std::string*, Use>> codes;
    for (const auto& [code, use] : used_)
        codes.emplace_back(&code, use);
    std::sort(codes.begin(), codes.end(),
              [](const auto& a, const auto& b) { return a.second.line < b.second.line; });
    for (const auto& [code, firstUse] : codes) {
        const Use use = firstUse; // a copy: a lambda may not capture a structured binding before C++20
        const std::string shown =
            "part code " + specialty::quoted(*code) + " (first used by " + recordNumbered(use.position) + ")";
        auto warn = [&](const std::string& message) {
            out.push_back({Finding::Level::Warning, catalogue, use.line, shown + " " + message});
        };
        const auto picture = partFilePath(folder_, *code, kPictureSuffix);
        const auto description = partFilePath(folder_, *code, kDescriptionSuffix);
        if (!picture || !description) {
            warn("is not a plain file name: the viewer shows no picture and no description for it");
            continue;
        }
        const std::string pictureName = picture->substr(folder_.size());
        if (!isRegularFile(*picture))
            warn("has no picture file " + pictureName + otherCase(pictureName));
        else if (const std::string problem = pictureProblem(*picture); !problem.empty())
            warn("has a picture file " + pictureName + " that does not show whole: " + problem);
        // The viewer shows a description it cannot open as an empty one, the same as a missing one.
        const std::string descriptionName = description->substr(folder_.size());
        if (!isRegularFile(*description)) {
            warn("has no description file " + descriptionName + otherCase(descriptionName));
        } else if (Status opened = RegularFile().open(*description); !opened) {
            warn("has a description file " + descriptionName + " that cannot be read (" + opened.reason() +
                 "): the viewer shows no description for it");
        }
    }
    findUnused(out);
}

void PartFiles::findUnused(std::vector<Finding>& out) const {
    std::vector<std::pair<std::string, const char*>> unused;
    std::error_code error; // a folder that cannot be listed has no unused files to report
    for (auto entry = std::filesystem::directory_iterator(folder_, error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        for (auto [suffix, what] :
             {std::pair{kPictureSuffix, "picture"}, std::pair{kDescriptionSuffix, "description"}}) {
            if (name.size() <= suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string code = utf8ToWindows1252(name.substr(0, name.size() - suffix.size()));
            if (name != kCatalogueName && !used_.count(code) && isRegularFile(folder_ + name))
                unused.emplace_back(name, what);
            break;
        }
    }
    std::sort(unused.begin(), unused.end());
    for (const auto& [name, what] : unused)
        out.push_back(
            {Finding::Level::Warning, folder_ + name, 0, std::string("no record uses this ") + what});
}

} // namespace specialty
