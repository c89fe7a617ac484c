#include "check/line_layout.h"

#include "messages.h"

namespace specialty {

void LineLayout::endLine() {
    if (count_ == 0) return;
    total_ += count_;
    if (run_.empty() && !streaming_ && count_ == kRecordFields && !recordsStartMidLine_) {
        count_ = 0;
        return;
    }
    if (run_.empty() && !streaming_) {
        runPosition_ = firstPosition_;
        runFirstLine_ = line_;
    }
    if (streaming_) {
        shiftedLine({line_, count_}, false);
    } else {
        run_.push_back({line_, count_});
        linesStartMidRecord_ = linesStartMidRecord_ || (run_.size() > 1 && !lineStartsRecord_);
    }
    count_ = 0;
    if (total_ % kRecordFields == 0) {
        reportRun(true);
    } else if (run_.size() > static_cast<std::size_t>(kRecordFields)) {
        // A record spread over lines, or lines holding whole records, come back in step within as many
        // lines as a record has fields; this run cannot, so it is a shift.
        for (const Line& l : run_)
            shiftedLine(l, &l == &run_.front());
        run_.clear();
        streaming_ = true;
    }
}

void LineLayout::shiftedLine(const Line& l, bool first) {
    if (l.fields == kRecordFields && !first) return;
    notJudged(l);
    std::string message = "line " + std::to_string(l.number) + " holds " + counted(l.fields, "field") +
                          ", not " + std::to_string(kRecordFields);
    if (first) message += ": the records from " + recordNumbered(runPosition_) + " on are read shifted";
    out_.add({Finding::Level::Error, file_, l.number, message});
}

void LineLayout::notJudged(const Line& l) {
    if (unjudgedLines_++ == 0) firstUnjudged_ = l.number;
}

void LineLayout::reportRun(bool closed) {
    if (streaming_) {
        out_.add({Finding::Level::Warning, file_, line_,
                  closed ? "the records read shifted since line " + std::to_string(runFirstLine_) +
                               " are in step again after this line"
                         : "the records read shifted since line " + std::to_string(runFirstLine_) +
                               " stay shifted to the end of the file, the end record too"});
        streaming_ = false;
        recordsStartMidLine_ = linesStartMidRecord_ = false;
        return;
    }
    const bool layout = closed && (!recordsStartMidLine_ || !linesStartMidRecord_);
    if (layout) {
        const Line& first = run_.front();
        std::string what = run_.size() == 1
                               ? "line " + std::to_string(first.number) + " holds " +
                                     std::to_string(first.fields / kRecordFields) + " records"
                               : recordNumbered(runPosition_) + " spans lines " +
                                     std::to_string(first.number) + "-" + std::to_string(run_.back().number);
        out_.add({Finding::Level::Warning, file_, first.number,
                  what + "; the viewer reads it, but one record a line is the rule"});
    } else {
        bool first = true;
        for (const Line& l : run_) {
            if (l.fields == kRecordFields) continue;
            notJudged(l);
            std::string message = "line " + std::to_string(l.number) + " holds " +
                                  counted(l.fields, "field") + ", not " + std::to_string(kRecordFields);
            if (first)
                message += closed
                               ? ": the records from " + recordNumbered(runPosition_) +
                                     " on are read shifted until line " + std::to_string(run_.back().number)
                               : ": every record from " + recordNumbered(runPosition_) +
                                     " on is read shifted, the end record too";
            out_.add({Finding::Level::Error, file_, l.number, message});
            first = false;
        }
    }
    run_.clear();
    recordsStartMidLine_ = linesStartMidRecord_ = false;
}

} // namespace specialty
