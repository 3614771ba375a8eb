#include "records/free_space_scan.h"

#include <functional>
#include <span>

#include "records/free_space_accept.h"
#include "records/free_space_carver.h"
#include "records/free_space_probe.h"
#include "records/free_space_walk.h"

namespace quen::records {

void scan_free_space(FreeSpaceMode mode, const std::string& path, ContactMap& contacts) {
    if (mode != FreeSpaceMode::Contacts) return;
    std::optional<FreeSpaceLayout> layout = probe_table(mode, path);
    if (!layout || !layout_is_usable(*layout)) return;
    for_each_free_region(path, *layout, [&](std::span<const uint8_t> region) {
        carve_contacts(region, *layout, [&](const ContactCandidate& c) { accept_contact(c, contacts); });
    });
}

void scan_free_space(FreeSpaceMode mode, const std::string& path, ThreadMap& threads) {
    if (mode != FreeSpaceMode::Messages) return;
    std::optional<FreeSpaceLayout> layout = probe_table(mode, path);
    if (!layout || !layout_is_usable(*layout)) return;
    for_each_free_region(path, *layout, [&](std::span<const uint8_t> region) {
        carve_messages(region, *layout, [&](const MessageCandidate& m) { accept_message(m, threads); });
    });
}

}  // namespace quen::records
