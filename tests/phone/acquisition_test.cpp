#include "phone/acquisition.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "phone/device_link.h"
#include "platform/paths.h"
#include "test_support/sim_phone.h"

namespace quen::phone {
namespace {

using namespace std::chrono_literals;
using test::read_file;
using test::SimPhone;
using test::write_file;
using Calls = std::vector<std::vector<std::string>>;
namespace fs = std::filesystem;

constexpr const char* kContactsDb = "/data/data/com.android.providers.contacts/databases/contacts2.db";
constexpr const char* kMessagesDb = "/data/data/com.android.providers.telephony/databases/mmssms.db";

TEST(Acquisition, FoldersOfEndedRunsAreRemovedAndLiveOnesKept) {
    SimPhone phone;
    phone.ready();
    phone.rooted();
    // This phone's databases use no write-ahead log: only the main files exist.
    phone.put(kContactsDb, "new contacts");
    phone.put(kMessagesDb, "new messages");

    // An earlier run (another phone) that ended left every file behind; a run
    // that is still going has files too.
    std::string ended_folder;
    {
        const phone::WorkFolder ended = phone::prepare_work_folder(phone.temp());
        ASSERT_TRUE(ended.ok()) << ended.error;
        for (const auto& path : ended.work_files()) write_file(path, "old " + path);
        ended_folder = ended.run_folder;
    }
    const phone::WorkFolder running = phone::prepare_work_folder(phone.temp());
    write_file(running.contacts_db, "the other run's copy");

    // A new run removes the ended run's folder, logs included, so SQLite can
    // never apply an old log to a new copy, and leaves the live run alone.
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    ASSERT_TRUE(work.ok()) << work.error;
    EXPECT_FALSE(fs::exists(ended_folder));
    EXPECT_EQ(read_file(running.contacts_db), "the other run's copy");
    EXPECT_NE(work.run_folder, running.run_folder);
    EXPECT_TRUE(fs::is_directory(work.picture_folder));

    EXPECT_EQ(phone::run_acquisition(phone.helper(), work).state(), phone::DeviceState::Ready);
    EXPECT_EQ(read_file(work.contacts_db), "new contacts");
    EXPECT_EQ(read_file(work.messages_backup), "new messages");
    for (const auto* path : {&work.contacts_shm, &work.contacts_wal, &work.messages_shm, &work.messages_wal})
        EXPECT_FALSE(fs::exists(*path)) << *path;

    // Going back deletes the database files and the logs; the end of the run
    // removes its folder.
    write_file(work.contacts_wal, "log");
    phone::delete_work_files(work);
    for (const auto& path : work.work_files()) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::is_directory(work.contacts_backup_folder));
    phone::remove_work_folder(work);
    EXPECT_FALSE(fs::exists(work.run_folder));
}

TEST(Acquisition, WorkFolderIsPrivateToTheUser) {
    SimPhone phone;
    phone.ready();
    phone.rooted();
    phone.put(kContactsDb, "contacts");
    phone.put(std::string(kContactsDb) + "-wal", "log");
    phone.put(kMessagesDb, "messages");
    // A umask that would let everybody read what adb creates.
    const mode_t old_umask = ::umask(0);
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    const auto report = phone::run_acquisition(phone.helper(), work);
    ::umask(old_umask);
    ASSERT_TRUE(work.ok()) << work.error;
    ASSERT_EQ(report.state(), phone::DeviceState::Ready);

    const auto mode = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    };
    const std::string user_folder = fs::path(work.run_folder).parent_path().string();
    EXPECT_EQ(fs::path(user_folder).filename().string(), "quenfora-" + std::to_string(::geteuid()));
    for (const std::string* dir : {&user_folder, &work.run_folder, &work.contacts_folder, &work.messages_folder,
                                   &work.contacts_backup_folder, &work.messages_backup_folder})
        EXPECT_EQ(mode(*dir), 0700u) << *dir;
    for (const auto* path : {&work.contacts_db, &work.contacts_wal, &work.contacts_backup, &work.messages_db,
                             &work.messages_backup})
        EXPECT_EQ(mode(*path), 0600u) << *path;
}

TEST(Acquisition, WorkFolderThatIsALinkOrNotAFolderIsRefused) {
    SimPhone phone;
    const std::string user_folder = phone.temp() + "quenfora-" + std::to_string(::geteuid());
    const std::string elsewhere = phone.scratch_dir() + "/elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, user_folder);
    phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    EXPECT_FALSE(work.ok());
    EXPECT_NE(work.error.find("link"), std::string::npos) << work.error;
    EXPECT_TRUE(work.contacts_db.empty());
    EXPECT_TRUE(fs::is_empty(elsewhere));  // nothing was put where the link points

    fs::remove(user_folder);
    write_file(user_folder, "a file");
    EXPECT_FALSE(phone::prepare_work_folder(phone.temp()).ok());
    fs::remove(user_folder);

    // Someone else's folder (only a test run as root can make one).
    if (::geteuid() == 0) {
        fs::create_directory(user_folder);
        ASSERT_EQ(::chown(user_folder.c_str(), 65534, 65534), 0);
        work = phone::prepare_work_folder(phone.temp());
        EXPECT_NE(work.error.find("another user"), std::string::npos) << work.error;
        fs::remove(user_folder);
    }
    // A folder of ours that others may enter is made private again.
    fs::create_directories(user_folder);
    fs::permissions(user_folder, fs::perms::all);
    work = phone::prepare_work_folder(phone.temp());
    EXPECT_TRUE(work.ok()) << work.error;
    EXPECT_EQ(fs::status(user_folder).permissions(), fs::perms::owner_all);
}

TEST(Acquisition, TransfersAreBoundedByProgressAndACutCopyIsNamed) {
    SimPhone phone;
    phone.ready();
    phone.rooted();
    const std::string contacts(20000, 'c');
    phone.put(kContactsDb, contacts, fs::perms::all);  // readable without root
    phone::AdbHelper helper = phone.helper();
    helper.command_limit = 300ms;
    helper.stall_limit = 800ms;
    const phone::DeviceLink link(helper, "emulator-5554");
    const auto one_pull = [&](const std::string& local) { return phone::pull_file(link, kContactsDb, local, 0, {}); };
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());

    // A pull far longer than any command limit that keeps delivering arrives whole.
    phone.set("pull-rate", "20000");
    auto outcome = one_pull(work.contacts_db);
    EXPECT_EQ(outcome.result, phone::FileResult::Pulled) << phone::describe_outcome(outcome);
    EXPECT_EQ(read_file(work.contacts_db), contacts);

    // A link that stops delivering is ended after the stall limit; the part
    // that arrived is not left to be read as the database.
    phone.set("pull-rate", "0");
    phone.set("pull-stall", "4096");
    const auto started = std::chrono::steady_clock::now();
    outcome = one_pull(work.messages_db);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
    EXPECT_EQ(outcome.result, phone::FileResult::Stalled);
    EXPECT_EQ(outcome.bytes, 4096u);
    EXPECT_FALSE(fs::exists(work.messages_db));

    // A pull that claims success with fewer bytes than it reports is cut.
    fs::remove(fs::path(phone.phone_dir()) / "pull-stall");
    phone.set("pull-cut", "1000");
    outcome = one_pull(work.contacts_db);
    EXPECT_EQ(outcome.result, phone::FileResult::Cut);
    EXPECT_EQ(outcome.expected, contacts.size());
    EXPECT_FALSE(fs::exists(work.contacts_db));
    EXPECT_NE(phone::describe_outcome(outcome).find("1000 of 20000"), std::string::npos);

    // In a whole acquisition, the cut database is named among the losses.
    const auto report = phone::run_acquisition(phone.helper(), work);
    ASSERT_EQ(report.lost().size(), 1u);
    EXPECT_EQ(report.lost()[0].remote, kContactsDb);
}

TEST(Acquisition, AdbPullReportsAndFailures) {
    EXPECT_EQ(phone::pulled_byte_count("/sdcard/a: 1 file pulled, 0 skipped. 3.1 MB/s (1234567 bytes in 0.380s)\n"),
              1234567u);
    EXPECT_EQ(phone::pulled_byte_count("2765 KB/s (40960 bytes in 0.014s)\n"), 40960u);  // adb before 1.0.36
    EXPECT_FALSE(phone::pulled_byte_count("adb: error: failed to copy 'a' to 'b': no response: Success\n"));
    EXPECT_FALSE(phone::pulled_byte_count("(12x bytes in 1s)"));
    EXPECT_EQ(phone::failure_kind("adb: error: failed to stat remote object 'x': No such file or directory"),
              phone::FileResult::Absent);
    EXPECT_EQ(phone::failure_kind("remote object '/data/x' does not exist"), phone::FileResult::Absent);
    EXPECT_EQ(phone::failure_kind("adb: error: failed to stat remote object 'x': Permission denied"),
              phone::FileResult::Refused);
    EXPECT_EQ(phone::failure_kind("adb: error: device offline"), phone::FileResult::Failed);
}

TEST(Acquisition, WorkFolderLayout) {
    const phone::WorkFolder work = phone::work_folder_paths("/T mp/run-1");
    EXPECT_EQ(work.contacts_db, "/T mp/run-1/Quenfora/contacts2.db");
    EXPECT_EQ(work.contacts_journal, "/T mp/run-1/Quenfora/contacts2.db-journal");
    EXPECT_EQ(work.contacts_backup, "/T mp/run-1/Quenfora/bak/contacts2.db");
    EXPECT_EQ(work.picture_folder, "/T mp/run-1/Quenfora/picture/");
    EXPECT_EQ(work.messages_db, "/T mp/run-1/quenfora-recovery-for-android/mmssms.db");
    EXPECT_EQ(work.messages_backup, "/T mp/run-1/quenfora-recovery-for-android/bak/mmssms.db");
    const std::array<std::string, 8> order = {
        "/T mp/run-1/Quenfora/contacts2.db",
        "/T mp/run-1/Quenfora/bak/contacts2.db",
        "/T mp/run-1/Quenfora/contacts2.db-shm",
        "/T mp/run-1/Quenfora/contacts2.db-wal",
        "/T mp/run-1/quenfora-recovery-for-android/mmssms.db",
        "/T mp/run-1/quenfora-recovery-for-android/bak/mmssms.db",
        "/T mp/run-1/quenfora-recovery-for-android/mmssms.db-shm",
        "/T mp/run-1/quenfora-recovery-for-android/mmssms.db-wal",
    };
    EXPECT_EQ(work.database_paths(), order);
}

TEST(Acquisition, PictureFolderIsRemovedWithItsContent) {
    SimPhone phone;
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    write_file(work.picture_folder + "3-2048.jpg", "jpeg");
    fs::create_directories(work.picture_folder + "sub");
    phone::remove_picture_folder(work);
    EXPECT_FALSE(fs::exists(work.picture_folder));
    EXPECT_TRUE(fs::is_directory(work.contacts_backup_folder));
    EXPECT_TRUE(fs::is_directory(work.contacts_folder));
}

TEST(AdbRunner, ListingIsReadWhileAFloodingHelperRuns) {
    SimPhone phone;
    phone.ready();
    // 2 MB of notices before the listing: a runner that let the pipe fill up
    // would see the helper killed at the limit and never read the listing.
    phone.set("flood-devices", "2000000");
    EXPECT_EQ(phone::adb_devices_state(phone.helper()), phone::DeviceState::Ready);
}

TEST(AdbRunner, OverstayingHelperIsCutOff) {
    SimPhone phone;
    phone.ready();
    phone::AdbHelper helper = phone.helper();
    // Limits long enough for a loaded machine, far below the delays.
    helper.command_limit = 3s;
    helper.server_limit = 1s;

    // A server start that hangs is abandoned; the listing still runs.
    phone.set("delay-start-server", "20000");
    EXPECT_EQ(phone::adb_devices_state(helper), phone::DeviceState::Ready);

    // A listing that hangs gives no output, hence no device.
    phone.set("delay-devices", "20000");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(phone::adb_devices_state(helper), phone::DeviceState::NoDevice);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);

    // A helper whose child keeps its output open does not hold the call past the limit.
    phone.set("delay-devices", "0");
    phone.set("stay-devices", "");
    EXPECT_EQ(phone::adb_devices_state(helper), phone::DeviceState::Ready);
}

TEST(AdbRunner, KillServerRunsOnceWithoutStartingTheServer) {
    SimPhone phone;
    phone::adb_kill_server(phone.helper());
    EXPECT_EQ(phone.calls(), (Calls{{"kill-server"}}));
}

TEST(AdbRunner, MissingHelperIsNamed) {
    SimPhone phone;
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    const phone::AdbHelper missing{"/nonexistent/quenfora-recovery-for-android-adb-help"};
    EXPECT_EQ(phone::adb_run(missing, {"devices"}), "");
    EXPECT_EQ(phone::run_acquisition(missing, work).state(), phone::DeviceState::NoHelper);
}

TEST(AdbRunner, HelperBesideTheProgramIsPreferredToAdbOnPath) {
    SimPhone phone;
    phone.ready();
    const std::string beside = platform::program_folder() + "/" + phone::kAdbHelperFileName;
    fs::remove(beside);
    EXPECT_EQ(phone::adb_helper_program(phone::AdbHelper{}), "adb");
    fs::create_symlink(test::kPhoneSimProgram, beside);
    EXPECT_EQ(phone::adb_helper_program(phone::AdbHelper{}), beside);
    EXPECT_EQ(phone::adb_devices_state(phone::AdbHelper{}), phone::DeviceState::Ready);
    EXPECT_EQ(phone::adb_helper_program(phone::AdbHelper{"/opt/my adb"}), "/opt/my adb");  // --adb wins
    fs::remove(beside);
    EXPECT_EQ(phone.calls(), (Calls{{"start-server"}, {"devices"}}));
}

}  // namespace
}  // namespace quen::phone
