// The comparison of two catalogues as the tool prints it: for people one block per changed record, or JSON
// written change by change inside one document.
#pragma once

#include "tools/spreadsheet/catalogue_diff.h"

#include <QJsonObject>

#include <string>
#include <vector>

namespace specialty {

class DiffReport {
  public:
    explicit DiffReport(bool json) : json_(json) {}

    // JSON: opens the document and its list of changes.
    void begin();
    void add(const RecordChange& change);
    // JSON: closes the list of changes; the document's other members follow, then "}".
    void end();
    // The summary for people, or as JSON members.
    static std::string summaryText(const DiffSummary& summary, const std::string& before,
                                   const std::string& after);
    static QJsonObject summaryMembers(const DiffSummary& summary);

    // The changed cells that look like a spreadsheet's conversion, the first of them as messages.
    struct Conversion {
        std::string cell; // "record 12, PartCode3: "0123" became "123" (leading zeros lost)"
        QJsonObject json;
    };
    const std::vector<Conversion>& conversions() const { return conversions_; }
    static constexpr std::size_t kConversionsKept = 20;

  private:
    bool json_;
    bool first_ = true;
    std::vector<Conversion> conversions_;
};

} // namespace specialty
