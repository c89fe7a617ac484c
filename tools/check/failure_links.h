// The links of the chains that check's findings name (the earlier records that hide a vehicle), made once
// and used again: a finding is handed on and dropped long before the next few dozen are made, so a link
// that nothing but this ring holds any more is rewritten in place instead of freed and allocated anew.
// A link still held (by a finding waiting for its line, or by a copy the caller kept) is never touched.
#pragma once

#include "catalogue/failure.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace specialty {

class FailureLinks {
  public:
    // A link of `fault` with no other field set. Take a chain's links from its head to its tail: a link
    // taken again lets go of the one after it, which comes next in the ring and so is free again too.
    std::shared_ptr<Failure> take(FaultCode fault) {
        if (ring_.size() < kRing) return ring_.emplace_back(std::make_shared<Failure>(fault));
        for (std::size_t tries = 0; tries < kRing; ++tries) {
            std::shared_ptr<Failure>& link = ring_[next_];
            next_ = (next_ + 1) % kRing;
            if (link.use_count() == 1) { // only the ring holds it: no finding can see it change
                clear(*link, fault);
                return link;
            }
        }
        std::shared_ptr<Failure>& link = ring_[next_]; // all held: the ring lets go of one, for a new one
        next_ = (next_ + 1) % kRing;
        link = std::make_shared<Failure>(fault);
        return link;
    }

  private:
    static constexpr std::size_t kRing = 64; // about 16 KB: a chain has at most six links

    // As Failure(fault) makes it, keeping the room of its strings.
    static void clear(Failure& link, FaultCode fault) {
        link.fault = fault;
        link.file.clear();
        link.line = 0;
        link.column = 0;
        link.record = -1;
        link.field = 0;
        link.value.clear();
        link.expected.clear();
        link.count = 0;
        link.limit = 0;
        link.why.clear();
        link.cause.reset();
    }

    std::vector<std::shared_ptr<Failure>> ring_;
    std::size_t next_ = 0;
};

} // namespace specialty
