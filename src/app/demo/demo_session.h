#pragma once
// The demo: the whole program at work without a phone or a card. A sample
// phone (the sample generator's contacts and messages, deleted rows included)
// is played by the phone simulator, which stands in for the adb helper, and a
// sample card image holding found files of every kind the carver knows, plus
// a few photos, is scanned as a removable disk. Everything lives in a private
// temporary folder that goes when the session ends.
#include <memory>
#include <string>

namespace quen::app {

// The file name of the phone simulator beside the program.
constexpr const char* kPhoneSimulatorName = "quenfora-phone-sim";

class DemoSession {
public:
    // Makes the folder, the sample phone and the card under `temp` (the
    // user's temporary folder when empty). `helper` is the phone simulator
    // (empty: the one beside the program). Null with `error` set on failure.
    static std::unique_ptr<DemoSession> create(const std::string& temp, std::string& error,
                                               const std::string& helper = {});
    // Removes the folder and everything in it.
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    const std::string& folder() const { return folder_; }
    // The simulated phone's folder (what the simulator plays).
    const std::string& phone_folder() const { return phone_; }
    const std::string& card_image() const { return card_; }
    // The simulator, to be used as the adb helper.
    const std::string& helper() const { return helper_; }

    // Points the simulator at this phone: the helper processes the program
    // starts from now on inherit it.
    void activate() const;

    // What the phone's "adb devices" lists (for showing each connect-page
    // state), and whether its su works.
    void set_listing(const std::string& listing) const;
    void set_rooted(bool rooted) const;

private:
    DemoSession() = default;
    std::string folder_, phone_, card_, helper_;
};

// The listing of one attached phone in the given state column ("device",
// "unauthorized", "no permissions (...)").
std::string one_phone_listing(const std::string& state);

}  // namespace quen::app
