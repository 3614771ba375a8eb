#include "app/results_notes.h"

#include "cdr/disks/cdr_node.h"

namespace quen::app {
namespace {

// A note of the acquisition as a sentence: capital first letter, full stop.
std::string sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

}  // namespace

std::vector<std::string> phone_notes(const phone::AcquisitionReport& acquisition,
                                     const std::vector<std::string>& read_failures) {
    std::vector<std::string> notes;
    if (!acquisition.error.empty())
        notes.push_back("The phone's databases could not be copied: " + acquisition.error);
    // The acquisition's own notes are written for the user: a phone without
    // root (its live records are shown, deleted ones need root), su refused,
    // a provider that refused or a database the phone does not have.
    for (const std::string& note : acquisition.notes) notes.push_back(sentence(note));
    if (acquisition.root.method == phone::RootMethod::None && acquisition.state() == phone::DeviceState::Ready &&
        acquisition.error.empty())
        notes.push_back("Root the phone, then press Back to read it again with its deleted records.");
    for (const phone::FileOutcome& file : acquisition.lost())
        notes.push_back(file.remote + " was not copied whole (" + phone::describe_outcome(file) +
                        "); what it holds is missing. Press Back to try again.");
    for (const std::string& failure : read_failures) notes.push_back("Reading failed: " + failure);
    return notes;
}

std::string phone_summary(const phone::AcquisitionReport& acquisition) {
    std::string text = phone::describe_device(acquisition.info);
    if (!acquisition.device.serial.empty()) text += (text.empty() ? "" : ", ") + std::string("serial ") + acquisition.device.serial;
    return text + (text.empty() ? "" : ", ") + "root: " + phone::root_method_name(acquisition.root.method);
}

std::vector<std::string> disk_read_notes(const std::string& disk, const std::vector<cdr::ByteRange>& unreadable,
                                         const std::string& error) {
    std::vector<std::string> notes;
    if (!unreadable.empty()) {
        uint64_t bytes = 0;
        for (const cdr::ByteRange& r : unreadable) bytes += r.length;
        const size_t places = unreadable.size();
        notes.push_back(disk + ": " + cdr::size_text(bytes) + " in " + std::to_string(places) +
                        (places == 1 ? " place" : " places") +
                        " could not be read and were skipped; files that lay there are missing or damaged. "
                        "Copy the card with a tool that retries bad sectors (ddrescue) and open the copy as an image.");
    }
    if (!error.empty())
        notes.push_back(disk + " stopped answering during the scan (" + error +
                        "); what was found before is kept. Reconnect it and press Back to scan it again.");
    return notes;
}

std::vector<std::string> disk_notes(const std::vector<cdr::EnumProblem>& problems, const std::string& scan_failure) {
    std::vector<std::string> notes;
    for (const cdr::EnumProblem& p : problems)
        if (p.removable) notes.push_back(sentence(p.text));
    if (!scan_failure.empty()) notes.push_back("The card scan ended early: " + scan_failure);
    return notes;
}

}  // namespace quen::app
