#include "phone/phone_scan_job.h"

#include <exception>
#include <thread>

#include "phone/acquisition.h"
#include "records/readers/contacts_reader.h"
#include "records/readers/messages_reader.h"

namespace quen::phone {
namespace {

// A job without a receiver still runs; nobody hears of it.
void post_to_receiver(const PhoneScan& scan, unsigned id, WParam wparam) {
    if (scan.sink) scan.sink->post(id, wparam, 0);
}

}  // namespace

void run_acquisition_thread(PhoneScan& scan) {
    DeviceState state = DeviceState::NoDevice;
    try {
        state = run_acquisition(scan.helper, scan.work);
    } catch (const std::exception&) {
        // Out of memory or a failed copy: whatever was pulled stays; the state
        // is reported all the same so the receiver is not left waiting.
    }
    post_to_receiver(scan, WM_DEVICE_STATE, static_cast<WParam>(state));
}

void run_read_thread(PhoneScan& scan) {
    try {
        MessageSink* sink = scan.sink.get();
        records::read_contacts(scan.work.contacts_db, scan.work.contacts_backup, scan.contact_map, sink);
        records::read_messages(scan.contact_map, scan.work.messages_db, scan.work.messages_backup, scan.thread_map, sink);
    } catch (const std::exception&) {
        // Keep what was read; the lists below are built from it.
    }
    try {
        scan.contact_list = records::build_contact_list(scan.contact_map);
        scan.thread_list = records::build_thread_list(scan.thread_map);
    } catch (const std::exception&) {
        scan.contact_list.clear();
        scan.thread_list.clear();
    }
    post_to_receiver(scan, WM_PHONE_DATA_LOADED, 0);
}

void start_acquisition(const std::shared_ptr<PhoneScan>& scan) {
    try {
        std::thread([scan] { run_acquisition_thread(*scan); }).detach();
    } catch (const std::exception&) {
        post_to_receiver(*scan, WM_DEVICE_STATE, static_cast<WParam>(DeviceState::NoDevice));
    }
}

void start_read(const std::shared_ptr<PhoneScan>& scan) {
    try {
        std::thread([scan] { run_read_thread(*scan); }).detach();
    } catch (const std::exception&) {
        post_to_receiver(*scan, WM_PHONE_DATA_LOADED, 0);
    }
}

unsigned load_progress_position(WParam step, LParam total) {
    if (total <= 0) return 0;
    return static_cast<unsigned>(step * 100u / static_cast<WParam>(total));
}

void PhoneScanDriver::start() {
    load_state_ = kLoading;
    progress_ = 0;
    finished_ = false;
    loaded_ = false;
    start_acquisition(scan_);
}

bool PhoneScanDriver::handle(const Message& m) {
    switch (m.id) {
        case WM_DEVICE_STATE:
            load_state_ = static_cast<LoadState>(m.wparam);
            if (load_state_ == static_cast<LoadState>(DeviceState::Ready)) start_read(scan_);
            else finished_ = true;
            return true;
        case WM_LOAD_PROGRESS:
            progress_ = load_progress_position(m.wparam, m.lparam);
            return true;
        case WM_PHONE_DATA_LOADED:
            loaded_ = true;
            finished_ = true;
            return true;
        default:
            return false;
    }
}

}  // namespace quen::phone
