#pragma once
// What the results page tells the user beside the results: why the phone's
// records may be incomplete (no root, a copy that did not arrive whole, a
// reader that failed), and which removable disks could not be read at all or
// not whole (no permission, a failing card). No Qt here.
#include <string>
#include <vector>

#include "cdr/disks/disk_enum.h"
#include "cdr/engine/carve_reader.h"
#include "phone/acquisition.h"

namespace quen::app {

// One sentence each, saying what happened and, where there is one, the fix.
std::vector<std::string> phone_notes(const phone::AcquisitionReport& acquisition,
                                     const std::vector<std::string>& read_failures);

// The phone as the user knows it, with how it was read: "Google Pixel 7,
// Android 14 (API 34), serial 1A2B, root: su -c".
std::string phone_summary(const phone::AcquisitionReport& acquisition);

// A disk whose scan skipped unreadable sectors (how much, in how many
// places), or that stopped answering part way.
std::vector<std::string> disk_read_notes(const std::string& disk, const std::vector<cdr::ByteRange>& unreadable,
                                         const std::string& error);

// The problems of the enumeration that concern removable disks (fixed disks
// are never scanned), and why a scan ended early.
std::vector<std::string> disk_notes(const std::vector<cdr::EnumProblem>& problems, const std::string& scan_failure);

}  // namespace quen::app
