#include "tools/check/line_layout.h"
#include "tools/check/check_fault.h"

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
    out_.add({Finding::Level::Error, file_, l.number,
              lineFault(first ? CheckFault::ShiftBegins : CheckFault::LineFields, l)});
}

Failure LineLayout::lineFault(CheckFault fault, const Line& l) const {
    Failure failure(fault);
    failure.line = l.number;
    failure.count = l.fields;
    failure.record = runPosition_;
    return failure;
}

void LineLayout::notJudged(const Line& l) {
    if (unjudgedLines_++ == 0) firstUnjudged_ = l.number;
}

void LineLayout::reportRun(bool closed) {
    if (streaming_) {
        Failure run(closed ? CheckFault::ShiftEnds : CheckFault::ShiftStays);
        run.line = runFirstLine_;
        out_.add({Finding::Level::Warning, file_, line_, std::move(run)});
        streaming_ = false;
        recordsStartMidLine_ = linesStartMidRecord_ = false;
        return;
    }
    const bool layout = closed && (!recordsStartMidLine_ || !linesStartMidRecord_);
    if (layout) {
        const Line& first = run_.front();
        Failure what(run_.size() == 1 ? CheckFault::RecordsOnLine : CheckFault::RecordSpansLines);
        what.line = first.number;
        if (run_.size() == 1) {
            what.count = first.fields / kRecordFields;
        } else {
            what.record = runPosition_;
            what.limit = static_cast<std::int64_t>(run_.back().number);
        }
        out_.add({Finding::Level::Warning, file_, first.number, std::move(what)});
    } else {
        bool first = true;
        for (const Line& l : run_) {
            if (l.fields == kRecordFields) continue;
            notJudged(l);
            Failure shifted = lineFault(!first   ? CheckFault::LineFields
                                        : closed ? CheckFault::ShiftUntil
                                                 : CheckFault::ShiftToEnd,
                                        l);
            shifted.limit = static_cast<std::int64_t>(run_.back().number);
            out_.add({Finding::Level::Error, file_, l.number, std::move(shifted)});
            first = false;
        }
    }
    run_.clear();
    recordsStartMidLine_ = linesStartMidRecord_ = false;
}

} // namespace specialty
