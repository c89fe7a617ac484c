// The pages of a review sheet, made from its model: an index, a page per make (split so that no page holds
// more than a few hundred vehicles), the part index in pages of a few hundred codes, and check's findings.
// Every name and link is made from numbers; catalogue text appears only escaped.
#pragma once

#include "tools/sheet/sheet_model.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>

namespace specialty {

constexpr std::size_t kVehiclesPerPage = 100;
constexpr std::size_t kPartsPerPage = 200;
constexpr std::size_t kFindingsPerPage = 1000;
// How many of a part's vehicles its entry lists; `uses` lists them all.
constexpr std::size_t kUsersShown = 50;

struct SheetPage {
    std::string name; // the file name in the sheet's folder
    std::string html;
};

class SheetPages {
  public:
    // `catalogue` is the catalogue's path, named on the index page (file system encoding).
    SheetPages(const SheetModel& model, std::string catalogue);

    std::size_t count() const { return 1 + makePages_.size() + partPages() + findingPages(); }
    // Page `n` of count(): the index first.
    SheetPage page(std::size_t n) const;

  private:
    struct MakePage {
        std::size_t make;
        std::size_t first; // the make's vehicles [first, last) are on it
        std::size_t last;
        std::size_t number; // from 1 within the make
    };
    std::size_t partPages() const {
        return std::max<std::size_t>(1, (model_.parts.size() + kPartsPerPage - 1) / kPartsPerPage);
    }
    std::size_t findingPages() const;

    std::string recordLink(std::uint32_t record) const;
    std::string partLink(std::size_t part) const;
    std::string findingLink(std::size_t finding) const;
    std::string makeName(std::size_t make) const;

    SheetPage indexPage() const;
    SheetPage makePage(const MakePage& page) const;
    SheetPage partPage(std::size_t n) const;
    SheetPage findingPage(std::size_t n) const;
    std::string vehicle(std::uint32_t record) const;
    std::string slotCell(const std::string& code, int slot) const;
    std::string findingText(std::size_t finding) const;

    const SheetModel& model_;
    std::string catalogue_;
    std::vector<MakePage> makePages_;
    std::vector<std::uint32_t> recordPage_; // make page of each record
};

// The file names of the pages.
std::string makePageName(std::size_t page);
std::string partPageName(std::size_t page);
std::string findingPageName(std::size_t page);
constexpr const char* kIndexPage = "index.html";

} // namespace specialty
