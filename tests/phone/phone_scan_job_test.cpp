#include "phone/phone_scan_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "phone/acquisition.h"
#include "platform/queue_sink.h"
#include "sample_phone.h"
#include "test_support/sim_phone.h"

namespace quen::phone {
namespace {

using namespace std::chrono_literals;
using test::read_file;
using test::SimPhone;

constexpr const char* kContacts = "/data/data/com.android.providers.contacts/databases/contacts2.db";
constexpr const char* kMessages = "/data/data/com.android.providers.telephony/databases/mmssms.db";

struct JobRun {
    std::vector<Message> messages;
    phone::LoadState load_state = phone::kLoading;
    std::vector<unsigned> positions;
    bool loaded = false;
    std::shared_ptr<phone::PhoneScan> scan;
};

using Seq = std::vector<std::tuple<unsigned, WParam, LParam>>;

// The job's sequence, without the progress of single transfers (their number
// depends on the link's speed).
Seq seq(const std::vector<Message>& messages) {
    Seq out;
    for (const auto& m : messages)
        if (m.id != WM_TRANSFER_PROGRESS) out.emplace_back(m.id, m.wparam, m.lparam);
    return out;
}

// Runs the whole sequence as the window would: start, then handle messages
// until the job has ended, then a short while more to catch anything late.
JobRun run_job(SimPhone& phone) {
    auto sink = std::make_shared<QueueSink>();
    auto scan = std::make_shared<phone::PhoneScan>();
    scan->sink = sink;
    scan->helper = phone.helper();
    scan->work = phone::prepare_work_folder(phone.temp());
    phone::PhoneScanDriver driver(scan);
    JobRun run;
    const auto handler = [&](const Message& m) {
        run.messages.push_back(m);
        driver.handle(m);
        if (m.id == WM_LOAD_PROGRESS) run.positions.push_back(driver.progress());
    };
    driver.start();
    EXPECT_TRUE(sink->pump_until(handler, [&] { return driver.finished(); }, 120s));
    while (sink->pump_one(handler, 300ms)) {
    }
    run.load_state = driver.load_state();
    run.loaded = driver.loaded();
    run.scan = scan;
    return run;
}

Seq full_sequence() {
    Seq want{{WM_DEVICE_STATE, 1, 0}};
    for (WParam step = 1; step <= 8; ++step) want.emplace_back(WM_LOAD_PROGRESS, step, 8);
    want.emplace_back(WM_PHONE_DATA_LOADED, 0, 0);
    return want;
}

TEST(PhoneScanJob, ProgressPositionsOfTheEightSteps) {
    std::vector<unsigned> got;
    for (WParam step = 1; step <= 8; ++step) got.push_back(phone::load_progress_position(step, 8));
    EXPECT_EQ(got, (std::vector<unsigned>{12, 25, 37, 50, 62, 75, 87, 100}));
    EXPECT_EQ(phone::load_progress_position(3, 0), 0u);
    EXPECT_EQ(phone::load_progress_position(0, 8), 0u);
}

TEST(PhoneScanJob, NoPhoneEndsAfterOneListing) {
    SimPhone phone;
    phone.rooted();
    const JobRun run = run_job(phone);
    EXPECT_EQ(seq(run.messages), (Seq{{WM_DEVICE_STATE, 0, 0}}));
    EXPECT_EQ(run.load_state, static_cast<phone::LoadState>(phone::DeviceState::NoDevice));
    EXPECT_FALSE(run.loaded);
    EXPECT_EQ(phone.calls(), (std::vector<std::vector<std::string>>{{"start-server"}, {"devices"}}));
}

TEST(PhoneScanJob, UnauthorizedFirstLineFetchesNothing) {
    SimPhone phone;
    phone.listing("List of devices attached\nA1\tunauthorized\nB2\tdevice\n\n");
    phone.rooted();
    phone.put(kContacts, "db");
    const JobRun run = run_job(phone);
    EXPECT_EQ(seq(run.messages), (Seq{{WM_DEVICE_STATE, 2, 0}}));
    EXPECT_EQ(run.load_state, static_cast<phone::LoadState>(phone::DeviceState::NotAuthorized));
    EXPECT_EQ(phone.calls().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(run.scan->work.contacts_db));
}

// The sample phone's databases, on the phone where Android keeps them.
sample_phone::Sample put_sample(SimPhone& phone) {
    std::string error;
    const auto sample = sample_phone::make_sample_phone(phone.scratch_dir() + "/made", sample_phone::Options{}, error);
    EXPECT_TRUE(sample) << error;
    if (!sample) return {};
    phone.put(kContacts, read_file(sample->contacts_path));
    phone.put(kMessages, read_file(sample->messages_path));
    return *sample;
}

TEST(PhoneScanJob, PhoneWithoutRootGivesItsLiveRecordsOnly) {
    SimPhone phone;
    phone.ready();
    const auto sample = put_sample(phone);

    const JobRun run = run_job(phone);
    EXPECT_EQ(seq(run.messages), full_sequence());
    EXPECT_EQ(run.positions, (std::vector<unsigned>{12, 25, 37, 50, 62, 75, 87, 100}));
    ASSERT_TRUE(run.loaded);
    const phone::PhoneScan& s = *run.scan;
    EXPECT_TRUE(s.read_failures.empty());

    // Every live message and contact, none of them taken for deleted, and
    // nothing of what was deleted (that needs the database files).
    std::multiset<std::string> bodies, want;
    for (const auto& [key, thread] : s.thread_map) {
        EXPECT_FALSE(thread.deleted);
        for (const auto& m : thread.messages) {
            EXPECT_FALSE(m.deleted);
            bodies.insert(m.body);
        }
    }
    for (const auto& m : sample.live_messages) want.insert(m.body);
    EXPECT_EQ(bodies, want);
    std::set<int64_t> ids, want_ids;
    for (const auto& [key, contact] : s.contact_map) {
        EXPECT_FALSE(contact.deleted);
        ids.insert(contact.raw_contact_id);
    }
    for (const auto& value : sample.live_values) want_ids.insert(value.raw_contact_id);
    EXPECT_EQ(ids, want_ids);
    EXPECT_EQ(s.contact_list.size(), s.contact_map.size());
    EXPECT_EQ(s.thread_list.size(), s.thread_map.size());
}

TEST(PhoneScanJob, RootedSamplePhoneFillsTheMapsAndListsDeletedFirst) {
    SimPhone phone;
    phone.ready();
    phone.rooted();
    const auto sample = put_sample(phone);

    const JobRun run = run_job(phone);
    EXPECT_EQ(seq(run.messages), full_sequence());
    ASSERT_TRUE(run.loaded);
    const phone::PhoneScan& s = *run.scan;

    // The copies reported their progress before the acquisition ended, each
    // up to the file's whole size.
    const auto state_at = std::find_if(run.messages.begin(), run.messages.end(),
                                       [](const Message& m) { return m.id == WM_DEVICE_STATE; });
    const auto progress_count = std::count_if(run.messages.begin(), state_at, [](const Message& m) {
        return m.id == WM_TRANSFER_PROGRESS && m.wparam == static_cast<WParam>(m.lparam) && m.lparam > 0;
    });
    EXPECT_GE(progress_count, 2);  // both databases
    EXPECT_EQ(std::count_if(state_at, run.messages.end(), [](const Message& m) { return m.id == WM_TRANSFER_PROGRESS; }), 0);

    // Every record is listed once, deleted records first.
    ASSERT_EQ(s.contact_list.size(), s.contact_map.size());
    ASSERT_EQ(s.thread_list.size(), s.thread_map.size());
    EXPECT_EQ(std::set<const records::ContactRecord*>(s.contact_list.begin(), s.contact_list.end()).size(),
              s.contact_map.size());
    EXPECT_TRUE(std::is_partitioned(s.contact_list.begin(), s.contact_list.end(),
                                    [](const records::ContactRecord* c) { return c->deleted; }));
    EXPECT_TRUE(std::is_partitioned(s.thread_list.begin(), s.thread_list.end(),
                                    [](const records::ThreadRecord* t) { return t->deleted; }));

    // Live rows came through the pull; deleted ones through the free-space scan.
    std::set<std::string> bodies, deleted_bodies;
    for (const auto& [key, thread] : s.thread_map)
        for (const auto& m : thread.messages) (m.deleted ? deleted_bodies : bodies).insert(m.body);
    for (const auto& m : sample.live_messages) {
        if (!m.body.empty()) {
            EXPECT_TRUE(bodies.count(m.body)) << m.body;
        }
    }
    std::size_t found_deleted = 0;
    for (const auto& m : sample.deleted_messages) found_deleted += deleted_bodies.count(m.body);
    EXPECT_GT(found_deleted, 0u);
    EXPECT_TRUE(std::any_of(s.contact_map.begin(), s.contact_map.end(),
                            [](const auto& kv) { return kv.second.deleted; }));
    EXPECT_TRUE(std::any_of(s.contact_map.begin(), s.contact_map.end(),
                            [](const auto& kv) { return !kv.second.deleted; }));
}

TEST(PhoneScanJob, AReaderThatFailsIsReportedAndTheOtherStillRuns) {
    const auto run_with = [](bool contacts_fail, bool messages_fail) {
        auto sink = std::make_shared<QueueSink>();
        auto scan = std::make_shared<phone::PhoneScan>();
        scan->sink = sink;
        scan->readers.contacts = [contacts_fail](const std::string&, const std::string&, records::ContactMap& out,
                                                 MessageSink*) {
            out[-1].name = "Ann";
            if (contacts_fail) throw std::runtime_error("database disk image is malformed");
        };
        scan->readers.messages = [messages_fail](const records::ContactMap& contacts, const std::string&,
                                                 const std::string&, records::ThreadMap& out, MessageSink*) {
            auto& thread = out[{"+1555", 1}];
            thread.name = contacts.empty() ? "" : contacts.begin()->second.name;
            if (messages_fail) throw std::bad_alloc();
        };
        phone::start_read(scan);
        bool loaded = false;
        EXPECT_TRUE(sink->pump_until([&](const Message& m) { loaded = loaded || m.id == WM_PHONE_DATA_LOADED; },
                                     [&] { return loaded; }, 60s));
        return scan;
    };
    auto scan = run_with(true, false);
    EXPECT_EQ(scan->read_failures, (std::vector<std::string>{"contacts: database disk image is malformed"}));
    ASSERT_EQ(scan->thread_list.size(), 1u);  // the messages were still read ...
    EXPECT_EQ(scan->thread_list[0]->name, "Ann");  // ... with what the contacts reader had read
    EXPECT_EQ(scan->contact_list.size(), 1u);

    scan = run_with(false, true);
    ASSERT_EQ(scan->read_failures.size(), 1u);
    EXPECT_EQ(scan->read_failures[0].rfind("messages: ", 0), 0u);
    EXPECT_EQ(scan->contact_list.size(), 1u);
}

// A sink that only records, so the test can drop every other reference.
class RecordingSink final : public MessageSink {
public:
    void post(unsigned id, WParam wparam, LParam lparam) override {
        std::lock_guard lk(mutex_);
        got_.push_back({id, wparam, lparam});
        cv_.notify_all();
    }
    void send(unsigned id, WParam wparam, LParam lparam) override { post(id, wparam, lparam); }
    bool wait_for(unsigned id, std::chrono::seconds limit) {
        std::unique_lock lk(mutex_);
        return cv_.wait_for(lk, limit, [&] {
            return std::any_of(got_.begin(), got_.end(), [&](const Message& m) { return m.id == id; });
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Message> got_;
};

TEST(PhoneScanJob, ThreadsOutliveTheReceiversReferences) {
    SimPhone phone;
    phone.ready();
    auto sink = std::make_shared<RecordingSink>();
    {
        auto scan = std::make_shared<phone::PhoneScan>();
        scan->sink = sink;
        scan->helper = phone.helper();
        scan->work = phone::prepare_work_folder(phone.temp());
        phone::start_acquisition(scan);
        phone::start_read(scan);
    }  // the receiver lets go at once; the threads keep what they use alive
    EXPECT_TRUE(sink->wait_for(WM_DEVICE_STATE, std::chrono::seconds(60)));
    EXPECT_TRUE(sink->wait_for(WM_PHONE_DATA_LOADED, std::chrono::seconds(60)));
}

}  // namespace
}  // namespace quen::phone
