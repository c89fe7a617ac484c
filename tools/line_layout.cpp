#include "line_layout.h"

#include "messages.h"

namespace specialty {

void LineLayout::endLine() {
    if (count_ == 0) return;
    total_ += count_;
    if (run_.empty() && count_ == kRecordFields && !recordsStartMidLine_) {
        count_ = 0;
        return;
    }
    if (run_.empty()) runPosition_ = firstPosition_;
    run_.push_back({line_, count_});
    linesStartMidRecord_ = linesStartMidRecord_ || (run_.size() > 1 && !lineStartsRecord_);
    count_ = 0;
    if (total_ % kRecordFields == 0) reportRun(true);
}

void LineLayout::reportRun(bool closed) {
    const bool layout = closed && (!recordsStartMidLine_ || !linesStartMidRecord_);
    if (layout) {
        const Line& first = run_.front();
        std::string what = run_.size() == 1
                               ? "line " + std::to_string(first.number) + " holds " +
                                     std::to_string(first.fields / kRecordFields) + " records"
                               : recordNumbered(runPosition_) + " spans lines " +
                                     std::to_string(first.number) + "-" + std::to_string(run_.back().number);
        out_.push_back({Finding::Level::Warning, file_, first.number,
                        what + "; the viewer reads it, but one record a line is the rule"});
    } else {
        bool first = true;
        for (const Line& l : run_) {
            if (l.fields == kRecordFields) continue;
            std::string message = "line " + std::to_string(l.number) + " holds " + std::to_string(l.fields) +
                                  " fields, not " + std::to_string(kRecordFields);
            if (first)
                message += closed
                               ? ": the records from " + recordNumbered(runPosition_) +
                                     " on are read shifted until line " + std::to_string(run_.back().number)
                               : ": every record from " + recordNumbered(runPosition_) +
                                     " on is read shifted, the end record too";
            out_.push_back({Finding::Level::Error, file_, l.number, message});
            first = false;
        }
    }
    run_.clear();
    recordsStartMidLine_ = linesStartMidRecord_ = false;
}

} // namespace specialty
