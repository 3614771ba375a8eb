#include "records/recovery/region_carver.h"

#include <set>
#include <vector>

#include "records/sqlite/sqlite_format.h"

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

    bool looks_like_freeblock_header(uint32_t at) const { return reader_.looks_like_freeblock_header(at); }

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
                // A cell that headed a freeblock of its own before its
                // neighbours were freed keeps that block's size: where it may
                // end. Stale bytes look like such a header too, so this end
                // only helps to infer a lost type; it is no proof.
                uint32_t stale_end = 0;
                uint32_t size = 0;
                if (!known_start && looks_like_freeblock_header(at) &&
                    sqlite::read_be16(reader_.page(), at + sqlite::kFreeblockSizeOffset, size) &&
                    at + size <= region_.end)
                    stale_end = at + size;
                found = most_likely(reader_.overwritten_readings(at, region_.end, ends_after(at), !known_start, stale_end));
            }
            if (found) take(std::move(*found));
        }
    }

    // Of readings of one cell that score alike, the one after whose end the
    // next cell reads best: cells lie back to back, so a reading one byte too
    // long or too short leaves the next cell unreadable.
    std::optional<Candidate> most_likely(std::vector<Candidate> readings) const {
        if (readings.empty()) return std::nullopt;
        constexpr int kAlike = 3;
        if (readings.size() == 1 || readings[0].match.score - readings[1].match.score > kAlike)
            return std::move(readings[0]);
        size_t chosen = 0;
        int chosen_worth = -1;
        for (size_t index = 0; index < readings.size() && index < 4; ++index) {
            if (readings[0].match.score - readings[index].match.score > kAlike) break;
            const uint32_t end = readings[index].shape.end;
            int next = 0;
            if (end + 3 >= region_.end) next = 2;  // the region ends there (fragments aside)
            else if (reader_.intact(end, region_.end)) next = 2;
            else if (!reader_.overwritten_readings(end, region_.end, ends_after(end), true).empty()) next = 1;
            const int worth = readings[index].match.score + 2 * next;
            if (worth > chosen_worth) chosen = index, chosen_worth = worth;
        }
        return std::move(readings[chosen]);
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
