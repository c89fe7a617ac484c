// The pages of a review sheet, made from its model: an index, pages of vehicles by make (a large make split
// so that no page holds more than kVehiclesPerPage vehicles, small makes sharing a page), the part index in
// pages of a few hundred codes, and check's findings. Every name and link is made from numbers; catalogue
// text appears only escaped.
#pragma once

#include "tools/sheet/sheet_model.h"
#include "tools/sheet/sheet_part_pass.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>

namespace specialty {

constexpr std::size_t kVehiclesPerPage = 100;
constexpr std::size_t kFindingsPerPage = 1000;

struct SheetPage {
    std::string name; // the file name in the sheet's folder
    std::string html;
};

class SheetPages {
  public:
    // `catalogue` is the catalogue's path, named on the index page (file system encoding).
    SheetPages(const SheetModel& model, std::string catalogue);

    // The place of record `record` in the pages' order.
    std::uint32_t position(std::uint32_t record) const { return position_[record]; }
    // What the pass over the parts found, which the pages are made with: set before any page is made.
    void setParts(PartPass& pass);

    std::size_t count() const { return 1 + makePages_.size() + partPages() + findingPages(); }
    // Page `n` of count(), the index first: each page once, in this order, as the parts and the vehicles'
    // slots stream by.
    SheetPage page(std::size_t n);

  private:
    // A page of vehicles: the makes [make, make + makes) whole, or, of one make too large for a page, its
    // vehicles [first, last) in make order.
    struct MakePage {
        std::size_t make;
        std::size_t makes;
        std::size_t first;
        std::size_t last;
        std::size_t number; // from 1 within a make split over pages; 1 otherwise
    };
    std::size_t partPages() const {
        return std::max<std::size_t>(1, (parts_->parts + kPartsPerPage - 1) / kPartsPerPage);
    }
    std::size_t findingPages() const;

    std::string recordLink(std::uint32_t record) const;
    std::string partLink(std::size_t part) const;
    std::string findingLink(std::size_t finding) const;
    std::string makeName(std::size_t make) const;
    std::string pageTitle(const MakePage& page) const;
    // The vehicles of a page, in their order.
    std::vector<std::uint32_t> pageRecords(const MakePage& page) const;
    std::string makesTable() const;

    SheetPage indexPage() const;
    SheetPage makePage(const MakePage& page);
    SheetPage partPage(std::size_t n);
    // `findings`: those about its files, as HTML.
    std::string partSection(const PartEntry& entry, const std::string& findings) const;
    SheetPage findingPage(std::size_t n) const;
    std::string vehicle(std::uint32_t record);
    std::string slotCell(const SlotEntry& slot, int number) const;
    std::string findingText(const SheetFinding& finding) const;

    const SheetModel& model_;
    std::string catalogue_;
    std::vector<MakePage> makePages_;
    std::vector<std::uint32_t> recordPage_; // make page of each record
    std::vector<std::uint32_t> position_;   // place of each record in the pages' order
    PartPass* parts_ = nullptr;
    std::unique_ptr<SortedStream> slots_;          // of parts_->slots
    std::unique_ptr<SortedStream> entries_;        // of parts_->entries
    std::unique_ptr<SortedStream> partFindings_;   // of parts_->partFindings
    std::unique_ptr<SortedStream> recordFindings_; // of parts_->recordFindings
};

// Pieces the pages are made of.
namespace sheet_piece {
std::string counted(std::size_t n, const char* one, const char* many);
std::string navigation();
const char* levelName(const SheetFinding& f);
// The viewer's window caption for a record.
std::string caption(const SheetRecord& r);
std::string mark(const std::string& text);
} // namespace sheet_piece

// The file names of the pages.
std::string makePageName(std::size_t page);
std::string partPageName(std::size_t page);
std::string findingPageName(std::size_t page);
constexpr const char* kIndexPage = "index.html";

} // namespace specialty
