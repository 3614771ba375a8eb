#pragma once
// The phone scan job: the load sequence from a plugged-in phone to filled
// record collections, on two worker threads with the receiver (the window, the
// command line) between them.
//
//   start_acquisition     acquisition thread: device listing; with Ready the
//                         copies (or, without root, the live records through
//                         the phone's content providers) and two backups;
//                         WM_TRANSFER_PROGRESS(bytes, size) while a file is
//                         copied; posts WM_DEVICE_STATE(state, 0)
//   receiver, on WM_DEVICE_STATE with Ready: start_read
//   start_read            read thread: contacts reader (WM_LOAD_PROGRESS 1-4 of 8),
//                         messages reader (5-8 of 8), the live records read
//                         without root, the two display lists, then
//                         WM_PHONE_DATA_LOADED(0, 0)
//
// Both threads are detached; nobody joins them. Each holds a shared_ptr to the
// PhoneScan it works on, so the state (and the sink it posts to) lives as long
// as any thread still uses it, whatever the receiver does meanwhile.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "phone/acquisition.h"
#include "phone/adb_runner.h"
#include "phone/device_state.h"
#include "phone/work_folder.h"
#include "platform/message_sink.h"
#include "records/model/record_model.h"
#include "records/readers/contacts_reader.h"
#include "records/readers/messages_reader.h"

namespace quen::phone {

// The two readers the read thread runs, in this order. They are the records
// subsystem's readers; a test may put others in their place.
struct PhoneReaders {
    std::function<void(const std::string& work_path, const std::string& backup_path, records::ContactMap& out,
                       MessageSink* window)>
        contacts = records::read_contacts;
    std::function<void(const records::ContactMap& contacts, const std::string& work_path,
                       const std::string& backup_path, records::ThreadMap& out, MessageSink* window)>
        messages = records::read_messages;
};

// What the receiver owns and both threads use. The paths are written once,
// before any thread starts. The acquisition thread writes `acquisition` before
// it posts WM_DEVICE_STATE; the read thread writes the maps, the lists and
// `read_failures` before it posts WM_PHONE_DATA_LOADED; the receiver reads each
// only after its message.
struct PhoneScan {
    std::shared_ptr<MessageSink> sink;  // the receiver: target of every posted message
    AdbHelper helper;
    WorkFolder work;
    PhoneReaders readers;
    // Raised by the receiver (Ctrl-C, the window closing): the transfer under
    // way is ended, its partial copy deleted, and no reading starts.
    std::atomic<bool> stop{false};
    AcquisitionReport acquisition;
    // The file being copied and how far; what WM_TRANSFER_PROGRESS is about.
    TransferProgress transfer_progress() const;
    void set_transfer_progress(const TransferProgress& progress);
    records::ContactMap contact_map;
    records::ThreadMap thread_map;
    records::ContactList contact_list;  // every contact, deleted ones first
    records::ThreadList thread_list;    // every thread, deleted ones first
    // One line per reader that failed ("contacts: <why>"); the other reader
    // still ran, and what the failed one read before it failed is kept.
    std::vector<std::string> read_failures;

private:
    mutable std::mutex transfer_mutex_;
    TransferProgress transfer_;
};

// Starts the acquisition thread. If no thread can be started, WM_DEVICE_STATE
// is posted with NoDevice, so the receiver never waits for nothing.
void start_acquisition(const std::shared_ptr<PhoneScan>& scan);

// Starts the read thread (after WM_DEVICE_STATE with Ready). If no thread can
// be started, WM_PHONE_DATA_LOADED is posted at once with empty collections.
void start_read(const std::shared_ptr<PhoneScan>& scan);

// The bodies of the two threads, run on the calling thread.
void run_acquisition_thread(PhoneScan& scan);
void run_read_thread(PhoneScan& scan);

// Position of the progress bar (0 to 100) for a WM_LOAD_PROGRESS: step * 100 /
// total in unsigned arithmetic (12, 25, 37, 50, 62, 75, 87, 100 for the eight
// steps); 0 for a total of 0.
unsigned load_progress_position(WParam step, LParam total);

// The receiver's side of the job, as the window runs it, without the window:
// keeps LoadState and the progress position and starts the read thread on a
// Ready phone.
class PhoneScanDriver {
public:
    explicit PhoneScanDriver(std::shared_ptr<PhoneScan> scan) : scan_(std::move(scan)) {}

    // LoadState = Loading, then start_acquisition.
    void start();
    // Handles one message; returns whether it was one of the job's. A Ready
    // phone starts the read thread unless a stop was asked for.
    bool handle(const Message& m);

    LoadState load_state() const { return load_state_; }
    unsigned progress() const { return progress_; }
    // The sequence has ended: a state other than Ready, or the records loaded.
    bool finished() const { return finished_; }
    bool loaded() const { return loaded_; }
    const PhoneScan& scan() const { return *scan_; }

private:
    std::shared_ptr<PhoneScan> scan_;
    LoadState load_state_ = kLoading;
    unsigned progress_ = 0;
    bool finished_ = false;
    bool loaded_ = false;
};

}  // namespace quen::phone
