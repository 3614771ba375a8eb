#include "records/recovery/region_carver.h"

#include <set>
#include <vector>

namespace quen::records::recovery {

namespace {

// A region is at most a page (64 KiB); each step below costs at most the
// header of one record per table, which the budget charges.
constexpr uint64_t kStepCost = 4;

class RegionCarver {
public:
    RegionCarver(const CellReader& reader, Region region, WorkBudget& budget, const CandidateSink& sink)
        : reader_(reader), region_(region), budget_(budget), sink_(sink), flags_(region.end - region.start, 0) {}

    void run() {
        if (region_.starts_with_cell) anchors_.insert(region_.start);
        follow_anchors();
        for (uint32_t at = region_.start; at < region_.end && !budget_.exhausted(); ++at) {
            if (covered(at) || !budget_.spend(kStepCost)) continue;
            if (auto found = reader_.intact(at, region_.end)) {
                take(std::move(*found));
                follow_anchors();
            }
        }
        for (uint32_t at = region_.start; at + 4 < region_.end && !budget_.exhausted(); ++at) {
            if (covered(at) || tried(at) || !looks_like_freeblock_header(at)) continue;
            stale_ = at;
            anchors_.insert(at);
            follow_anchors();
        }
    }

private:
    bool covered(uint32_t at) const { return at < region_.end && (flags_[at - region_.start] & kCovered) != 0; }
    bool tried(uint32_t at) const { return at < region_.end && (flags_[at - region_.start] & kTried) != 0; }

    // Next offset 0 or further on in the page, and a size that stays in it.
    bool looks_like_freeblock_header(uint32_t at) const {
        const auto page = reader_.page();
        const uint32_t next = (uint32_t{page[at]} << 8) | page[at + 1];
        const uint32_t size = (uint32_t{page[at + 2]} << 8) | page[at + 3];
        return (next == 0 || (next > at && next < reader_.area())) && size >= 4 && at + size <= reader_.area();
    }

    std::vector<uint32_t> ends_after(uint32_t start) const {
        std::vector<uint32_t> ends;
        // The region's end, or a few bytes before it: bytes too few to be
        // a freeblock stay behind as fragments.
        for (uint32_t fragment = 0; fragment < 4 && region_.end >= start + fragment; ++fragment)
            ends.push_back(region_.end - fragment);
        for (uint32_t found : starts_)
            if (found > start) ends.push_back(found);
        return ends;
    }

    void take(Candidate&& candidate) {
        const uint32_t from = candidate.shape.start, to = candidate.shape.end;
        for (uint32_t at = from; at < to && at < region_.end; ++at) flags_[at - region_.start] |= kCovered;
        starts_.insert(from);
        if (to < region_.end) anchors_.insert(to);
        sink_(std::move(candidate));
    }

    void follow_anchors() {
        while (!anchors_.empty() && !budget_.exhausted()) {
            const uint32_t at = *anchors_.begin();
            anchors_.erase(anchors_.begin());
            if (at >= region_.end || covered(at) || tried(at)) continue;
            flags_[at - region_.start] |= kTried;
            if (!budget_.spend(kStepCost * reader_.most_types())) break;
            std::optional<Candidate> found;
            const bool known_start = region_.starts_with_cell && at == region_.start;
            if (at != stale_ || known_start) found = reader_.intact(at, region_.end);
            if (!found) {
                const auto ends = ends_after(at);
                found = reader_.overwritten(at, region_.end, ends, !known_start);
            }
            if (found) take(std::move(*found));
        }
    }

    const CellReader& reader_;
    Region region_;
    WorkBudget& budget_;
    const CandidateSink& sink_;
    static constexpr uint8_t kCovered = 1, kTried = 2;
    std::vector<uint8_t> flags_;
    std::set<uint32_t> anchors_, starts_;
    uint32_t stale_ = UINT32_MAX;  // the position being tried as an old freeblock header
};

}  // namespace

void carve_region(const CellReader& reader, Region region, WorkBudget& budget, const CandidateSink& sink) {
    if (region.end <= region.start) return;
    RegionCarver(reader, region, budget, sink).run();
}

}  // namespace quen::records::recovery
