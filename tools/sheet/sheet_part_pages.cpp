#include "tools/sheet/sheet_pages.h"

#include "catalogue/data_folder.h"
#include "catalogue/description_reader.h"
#include "tools/sheet/sheet_html.h"
#include "tools/sheet/sheet_part_files.h"

namespace specialty {

using namespace sheet_piece;

SheetPage SheetPages::partPage(std::size_t n) {
    const std::string title =
        "Part codes, page " + std::to_string(n + 1) + " of " + std::to_string(partPages());
    std::string html = pageStart(title) + navigation() + "<h1>" + title + "</h1>\n";
    const std::size_t last = std::min(parts_->parts, (n + 1) * kPartsPerPage);
    for (; entries_->more(); entries_->pop()) {
        const PartEntry entry = readPartEntry(entries_->head());
        if (entry.index >= last) break;
        std::string findings; // those about its files
        for (; partFindings_->more(); partFindings_->pop()) {
            const FindingEntry f = readFindingEntry(partFindings_->head());
            if (f.key != entry.index) break;
            findings += "<p class=\"" + std::string(levelName(f.finding)) + "\"><a href=\"" +
                        findingLink(f.number) + "\">" + findingText(f.finding) + "</a></p>\n";
        }
        html += partSection(entry, findings);
    }
    return {partPageName(n), html + pageEnd()};
}

std::string SheetPages::partSection(const PartEntry& entry, const std::string& findings) const {
    const SheetPart& part = entry.part;
    const std::size_t p = entry.index;
    std::string html;
    std::vector<std::string> texts = model_.texts.at(part.texts);
    texts.resize(2);
    const std::string& pictureProblem = texts[0];
    const std::string& descriptionText = texts[1];
    html += "<section class=\"part\" id=\"p" + std::to_string(p) + "\">\n<div class=\"picture\">";
    switch (part.picture) {
    case SheetPart::File::Shown:
        html += "<img src=\"" + thumbnailName(p) + "\" width=\"" + std::to_string(part.thumbWidth) +
                "\" height=\"" + std::to_string(part.thumbHeight) + "\" loading=\"lazy\" alt=\"picture of " +
                htmlText(part.code) + "\">";
        break;
    case SheetPart::File::Missing:
        html += mark("no picture file " + htmlText(part.code) + htmlUtf8(kPictureSuffix));
        break;
    case SheetPart::File::Broken:
        html += mark("the picture does not decode: " + htmlUtf8(pictureProblem));
        break;
    case SheetPart::File::NotAName:
        html += mark("the code is not a plain file name: no picture");
        break;
    case SheetPart::File::Outside:
        html += mark("the picture file " + htmlText(part.code) + htmlUtf8(kPictureSuffix) +
                     " is a link leading outside the data folder: not shown");
        break;
    }
    html += "</div>\n<div class=\"about\"><h2 class=\"code\">" + htmlText(part.code) + "</h2>\n";
    switch (part.description) {
    case SheetPart::File::Shown: {
        // Each item on a line of its own, as the zoom view shows them.
        std::string text;
        const std::string& d = descriptionText;
        for (std::size_t at = 0; at < d.size();) {
            const std::size_t end = std::min(d.find(kItemEnd, at), d.size());
            text += htmlText(d.substr(at, end - at)) + "\n";
            at = end + kItemEnd.size();
        }
        html += "<div class=\"description\">" + text + "</div>\n";
        break;
    }
    case SheetPart::File::Missing:
        html += mark("no description file " + htmlText(part.code) + htmlUtf8(kDescriptionSuffix)) + "\n";
        break;
    case SheetPart::File::Broken:
        html += mark("the description cannot be read: " + htmlUtf8(descriptionText)) + "\n";
        break;
    case SheetPart::File::NotAName:
        html += mark("the code is not a plain file name: no description");
        break;
    case SheetPart::File::Outside:
        html += mark("the description file " + htmlText(part.code) + htmlUtf8(kDescriptionSuffix) +
                     " is a link leading outside the data folder: not shown") +
                "\n";
        break;
    }
    html += "<p>Used by " + counted(entry.userCount, "vehicle", "vehicles") + ":</p>\n<ul>";
    for (const std::uint32_t user : entry.users) {
        html += "<li><a href=\"" + recordLink(user) + "\">" + caption(model_.records[user]) + "</a></li>";
    }
    if (entry.userCount > kUsersShown)
        html += "<li>and " + counted(entry.userCount - kUsersShown, "more", "more") +
                ": <span class=\"code\">specialty-catalogue uses</span> lists them all</li>";
    html += "</ul>\n";
    html += findings + "</div>\n</section>\n";
    return html;
}

} // namespace specialty
