#pragma once
// Sizes that disks, images and file formats count in.
#include <cstdint>

namespace quen::platform {

// The unit of raw disk addressing: sysfs sizes and starts, found-file names
// ("<offset / 512>.<ext>"), quick-mode header positions.
constexpr uint64_t kSector = 512;
constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * kKiB;
constexpr uint64_t kGiB = 1024 * kMiB;

}  // namespace quen::platform
