#include "app/demo/demo_session.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/demo/demo_pictures.h"
#include "platform/paths.h"
#include "platform/sizes.h"
#include "sample_card.h"
#include "sample_phone.h"

namespace fs = std::filesystem;

namespace quen::app {
namespace {

constexpr const char* kContactsDir = "files/data/data/com.android.providers.contacts/databases";
constexpr const char* kMessagesDir = "files/data/data/com.android.providers.telephony/databases";

bool write_bytes(const fs::path& path, const char* data, size_t size, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    out.close();
    if (!out) error = "cannot write " + path.string();
    return static_cast<bool>(out);
}

// The phone: the sample generator's two databases where Android keeps them.
bool make_phone(const fs::path& phone, std::string& error) {
    const fs::path made = phone.parent_path() / "sample-phone";
    sample_phone::Options options;
    if (!sample_phone::make_sample_phone(made.string(), options, error)) return false;
    std::error_code ec;
    fs::create_directories(phone / kContactsDir, ec);
    fs::create_directories(phone / kMessagesDir, ec);
    fs::copy_file(made / "contacts2.db", phone / kContactsDir / "contacts2.db", fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::copy_file(made / "mmssms.db", phone / kMessagesDir / "mmssms.db", fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot lay out the sample phone: " + ec.message();
        return false;
    }
    return true;
}

// The card: a first chunk holding the photos at sector offsets, followed by
// the sample card (its files keep their places relative to each other and to
// the chunk boundaries).
bool make_card(const fs::path& image, std::string& error) {
    constexpr uint64_t kLead = 4 * platform::kMiB;
    sample::Card card;
    if (!sample::make_sample_card(64 * platform::kMiB, 1, card, error)) return false;
    std::string lead(kLead, '\0');
    uint64_t at = 64 * platform::kKiB;
    for (const DemoPicture& pic : paint_demo_pictures()) {
        if (pic.bytes.isEmpty() || at + static_cast<uint64_t>(pic.bytes.size()) > kLead / 2) break;
        lead.replace(at, static_cast<size_t>(pic.bytes.size()), pic.bytes.constData(), static_cast<size_t>(pic.bytes.size()));
        at += static_cast<uint64_t>(pic.bytes.size());
        at = (at / platform::kSector + 8) * platform::kSector;  // a little slack, then the next sector
    }
    std::ofstream out(image, std::ios::binary | std::ios::trunc);
    out.write(lead.data(), static_cast<std::streamsize>(lead.size()));
    out.write(reinterpret_cast<const char*>(card.image.data()), static_cast<std::streamsize>(card.image.size()));
    out.close();
    if (!out) {
        error = "cannot write " + image.string();
        return false;
    }
    return true;
}

}  // namespace

std::string one_phone_listing(const std::string& state) {
    return "List of devices attached\nemulator-5554\t" + state + "\n\n";
}

std::unique_ptr<DemoSession> DemoSession::create(const std::string& temp, std::string& error, const std::string& helper) {
    std::unique_ptr<DemoSession> s(new DemoSession);
    s->helper_ = helper.empty() ? platform::program_folder() + "/" + kPhoneSimulatorName : helper;
    std::error_code ec;
    if (!fs::exists(s->helper_, ec)) {
        error = "the phone simulator " + s->helper_ + " is missing";
        return nullptr;
    }
    std::string pattern = (temp.empty() ? platform::temp_folder() : temp) + "quenfora-demo-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot make a folder for the demo under " + (temp.empty() ? platform::temp_folder() : temp);
        return nullptr;
    }
    s->folder_ = pattern;
    s->phone_ = s->folder_ + "/phone";
    s->card_ = s->folder_ + "/sample-card.img";
    fs::create_directories(s->phone_, ec);
    s->set_listing(one_phone_listing("device"));
    s->set_rooted(true);
    if (!make_phone(s->phone_, error) || !make_card(s->card_, error)) return nullptr;
    return s;
}

DemoSession::~DemoSession() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
}

void DemoSession::activate() const { ::setenv("QUEN_PHONE_SIM_DIR", phone_.c_str(), 1); }

void DemoSession::set_listing(const std::string& listing) const {
    std::string ignored;
    write_bytes(fs::path(phone_) / "listing", listing.data(), listing.size(), ignored);
}

void DemoSession::set_rooted(bool rooted) const {
    std::error_code ec;
    if (rooted) {
        std::string ignored;
        write_bytes(fs::path(phone_) / "root", "", 0, ignored);
    } else {
        fs::remove(fs::path(phone_) / "root", ec);
        fs::remove(fs::path(phone_) / "readable", ec);
    }
}

}  // namespace quen::app
