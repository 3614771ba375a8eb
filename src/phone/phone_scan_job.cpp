#include "phone/phone_scan_job.h"

#include <exception>
#include <thread>


namespace quen::phone {
namespace {

// A job without a receiver still runs; nobody hears of it.
void post_to_receiver(const PhoneScan& scan, unsigned id, WParam wparam) {
    if (scan.sink) scan.sink->post(id, wparam, 0);
}

}  // namespace

TransferProgress PhoneScan::transfer_progress() const {
    std::lock_guard lock(transfer_mutex_);
    return transfer_;
}

void PhoneScan::set_transfer_progress(const TransferProgress& progress) {
    std::lock_guard lock(transfer_mutex_);
    transfer_ = progress;
}

void run_acquisition_thread(PhoneScan& scan) {
    DeviceState state = DeviceState::NoDevice;
    try {
        TransferControl control;
        control.stop = &scan.stop;
        control.on_progress = [&scan](const TransferProgress& progress) {
            scan.set_transfer_progress(progress);
            if (scan.sink)
                scan.sink->post(WM_TRANSFER_PROGRESS, static_cast<WParam>(progress.bytes),
                                static_cast<LParam>(progress.total));
        };
        scan.acquisition = run_acquisition(scan.helper, scan.work, control);
        state = scan.acquisition.state();
    } catch (const std::exception& e) {
        // Out of memory, say: whatever was pulled stays; the state is reported
        // all the same so the receiver is not left waiting.
        scan.acquisition.error = e.what();
    }
    post_to_receiver(scan, WM_DEVICE_STATE, static_cast<WParam>(state));
}

namespace {

// Runs one reader; a failure is written down for the receiver instead of
// ending the read thread, so that the other reader still runs.
template <typename Read>
void run_reader(PhoneScan& scan, const char* what, Read&& read) {
    try {
        read();
    } catch (const std::exception& e) {
        scan.read_failures.push_back(std::string(what) + ": " + e.what());
    } catch (...) {
        scan.read_failures.push_back(std::string(what) + ": unknown failure");
    }
}

}  // namespace

void run_read_thread(PhoneScan& scan) {
    MessageSink* sink = scan.sink.get();
    run_reader(scan, "contacts", [&] {
        if (scan.readers.contacts)
            scan.readers.contacts(scan.work.contacts_db, scan.work.contacts_backup, scan.contact_map, sink);
    });
    run_reader(scan, "messages", [&] {
        if (scan.readers.messages)
            scan.readers.messages(scan.contact_map, scan.work.messages_db, scan.work.messages_backup, scan.thread_map,
                                  sink);
    });
    // A phone without root gave its live records through its providers
    // instead of its database files; they join what the readers found.
    const ProviderRecords& provider = scan.acquisition.provider;
    if (!provider.contacts.empty() || !provider.messages.empty()) {
        run_reader(scan, "live records", [&] {
            add_provider_records(provider, scan.contact_map, scan.thread_map);
            records::name_threads(scan.contact_map, scan.thread_map);
            for (auto& [key, thread] : scan.thread_map) records::sort_thread_messages(thread);
        });
    }
    try {
        scan.contact_list = records::build_contact_list(scan.contact_map);
        scan.thread_list = records::build_thread_list(scan.thread_map);
    } catch (const std::exception& e) {
        scan.contact_list.clear();
        scan.thread_list.clear();
        scan.read_failures.push_back(std::string("lists: ") + e.what());
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
            if (load_state_ == static_cast<LoadState>(DeviceState::Ready) && !scan_->stop.load()) start_read(scan_);
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
