#include "app/results_notes.h"

namespace quen::app {

std::vector<std::string> phone_notes(const phone::AcquisitionReport& acquisition,
                                     const std::vector<std::string>& read_failures) {
    std::vector<std::string> notes;
    if (!acquisition.error.empty())
        notes.push_back("The phone's databases could not be copied: " + acquisition.error);
    if (acquisition.refused())
        notes.push_back(
            "The phone has no root, so its contacts and messages could not be read: their databases "
            "(and the deleted records in them) are open to root only. Root the phone, then press Back to read it again.");
    for (const phone::FileOutcome& file : acquisition.lost())
        notes.push_back(file.remote + " was not copied whole (" + phone::describe_outcome(file) +
                        "); what it holds is missing. Press Back to try again.");
    for (const std::string& failure : read_failures) notes.push_back("Reading failed: " + failure);
    return notes;
}

std::vector<std::string> disk_notes(const std::vector<cdr::EnumProblem>& problems, const std::string& scan_failure) {
    std::vector<std::string> notes;
    for (const cdr::EnumProblem& p : problems)
        if (p.removable) notes.push_back(p.text);
    if (!scan_failure.empty()) notes.push_back("The card scan ended early: " + scan_failure);
    return notes;
}

}  // namespace quen::app
