#include "tools/check/part_listing.h"

#include "catalogue/data_folder.h"
#include "catalogue/text_encoding.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace specialty {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Text in the code page with its letters folded to one case.
std::string upper(std::string text) {
    upperWindows1252InPlace(text.data(), text.size());
    return text;
}

// A file name's letters folded to one case, in the code page (ASCII is the same in both).
std::string foldedName(std::string_view name) {
    return upper(isAscii(name) ? std::string(name) : utf8ToWindows1252(name));
}

// The names a part code's files have, folded: what a folded name ends with for each kind.
const std::string& foldedSuffix(PartListing::Kind kind) {
    static const std::string picture = foldedName(kPictureSuffix),
                             description = foldedName(kDescriptionSuffix);
    return kind == PartListing::Kind::Picture ? picture : description;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A name's code and kind: the folded name less the suffix it ends with, or all of it.
PartListing::Name keyed(std::string name) {
    std::string folded = foldedName(name);
    for (PartListing::Kind kind : {PartListing::Kind::Picture, PartListing::Kind::Description})
        if (const std::string& suffix = foldedSuffix(kind); endsWith(folded, suffix)) {
            folded.resize(folded.size() - suffix.size());
            return {std::move(folded), kind, std::move(name)};
        }
    return {std::move(folded), PartListing::Kind::Other, std::move(name)};
}

// What a name costs the listing: its entry twice over (the vector's room while it grows by doubling), and
// the text of its strings beyond what an entry holds itself.
std::size_t bytesOf(const PartListing::Name& n) {
    constexpr std::size_t kInString = 15; // the characters a std::string holds without memory of its own
    const auto outside = [](const std::string& s) { return s.size() > kInString ? s.capacity() + 1 : 0; };
    return 2 * sizeof n + outside(n.code) + outside(n.name);
}

bool before(const PartListing::Name& a, const PartListing::Name& b) {
    return std::tie(a.code, a.kind, a.name) < std::tie(b.code, b.kind, b.name);
}

} // namespace

PartListing::PartListing(const std::string& folder) {
    std::error_code error;
    std::size_t bytes = 0;
    for (auto entry = std::filesystem::directory_iterator(folder, error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        Name name = keyed(entry->path().filename().string());
        bytes += bytesOf(name);
        if (bytes > kMostBytes) {
            tooLarge_ = true;
            break;
        }
        names_.push_back(std::move(name));
    }
    if (error) unlisted_ = error.message();
    if (!complete()) {
        names_.clear();
        names_.shrink_to_fit();
    }
    std::sort(names_.begin(), names_.end(), before);
}

std::pair<const PartListing::Name*, const PartListing::Name*>
PartListing::named(std::string_view folded) const {
    const Name* const first = names_.data();
    const Name* const last = first + names_.size();
    const Name* const from = std::lower_bound(
        first, last, folded, [](const Name& n, std::string_view code) { return n.code < code; });
    const Name* to = from;
    while (to != last && to->code == folded)
        ++to;
    return {from, to};
}

std::string PartListing::folded(std::string_view code, std::string_view shown) {
    std::string folded(code.size(), '\0');
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (static_cast<unsigned char>(c) >= 0x80) return upper(utf8ToWindows1252(shown));
        folded[i] =
            c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; // ASCII folds alike in the code page
    }
    return folded;
}

} // namespace specialty
