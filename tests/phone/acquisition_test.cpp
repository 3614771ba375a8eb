#include "phone/acquisition.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

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

// What the recovery sends for one acquisition of a Ready phone: every captured
// command is preceded by its own start-server.
Calls expected_calls(const phone::WorkFolder& work) {
    Calls calls{{"start-server"}, {"devices"}};
    const auto locals = phone::local_database_targets(work);
    for (std::size_t i = 0; i < phone::kRemoteDatabaseFiles.size(); ++i) {
        calls.push_back({"start-server"});
        calls.push_back({"shell", "su", "root", "chmod", "777", phone::kRemoteDatabaseFiles[i]});
        calls.push_back({"start-server"});
        calls.push_back({"pull", phone::kRemoteDatabaseFiles[i], locals[i]});
    }
    return calls;
}

void put_all_six(SimPhone& phone) {
    for (const char* remote : phone::kRemoteDatabaseFiles) phone.put(remote, std::string("content of ") + remote);
}

TEST(Acquisition, RootedPhoneSixFilesAndTwoBackupsLandUnderAPathWithBlanks) {
    SimPhone phone;
    phone.ready();
    phone.rooted();
    put_all_six(phone);
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    ASSERT_NE(work.contacts_db.find(' '), std::string::npos);

    EXPECT_EQ(phone::run_acquisition(phone.helper(), work), phone::DeviceState::Ready);

    const auto locals = phone::local_database_targets(work);
    for (std::size_t i = 0; i < locals.size(); ++i)
        EXPECT_EQ(read_file(locals[i]), std::string("content of ") + phone::kRemoteDatabaseFiles[i]) << locals[i];
    EXPECT_EQ(read_file(work.contacts_backup), read_file(work.contacts_db));
    EXPECT_EQ(read_file(work.messages_backup), read_file(work.messages_db));
    // The backup copy is made without the database's companions.
    EXPECT_FALSE(fs::exists(work.contacts_backup + "-wal"));
    EXPECT_FALSE(fs::exists(work.messages_backup + "-shm"));

    EXPECT_EQ(phone.calls(), expected_calls(work));
}

TEST(Acquisition, PhoneWithoutRootIsReadyButNothingLands) {
    SimPhone phone;
    phone.ready();
    put_all_six(phone);
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());

    EXPECT_EQ(phone::run_acquisition(phone.helper(), work), phone::DeviceState::Ready);
    for (const auto& path : work.database_paths()) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_EQ(phone.calls(), expected_calls(work));  // every step is still tried
}

TEST(Acquisition, NoPhoneOrUnauthorizedPhoneFetchesNothing) {
    for (const char* listing : {"List of devices attached\n\n",
                                "List of devices attached\nA1\tunauthorized\nB2\tdevice\n\n",
                                "List of devices attached\nA1\toffline\n\n"}) {
        SimPhone phone;
        phone.listing(listing);
        phone.rooted();
        put_all_six(phone);
        const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
        const phone::DeviceState want = std::string(listing).find("A1") == std::string::npos ? phone::DeviceState::NoDevice
                                                                                       : phone::DeviceState::NotAuthorized;
        EXPECT_EQ(phone::run_acquisition(phone.helper(), work), want) << listing;
        EXPECT_EQ(phone.calls(), (Calls{{"start-server"}, {"devices"}})) << listing;
        for (const auto& path : work.database_paths()) EXPECT_FALSE(fs::exists(path)) << path;
    }
}

TEST(Acquisition, StaleWorkFilesAndTheirLogsAreRemovedBeforeAFreshPull) {
    SimPhone phone;
    phone.ready();
    phone.rooted();
    // This phone's databases use no write-ahead log: only the main files exist.
    phone.put(phone::kRemoteDatabaseFiles[0], "new contacts");
    phone.put(phone::kRemoteDatabaseFiles[3], "new messages");

    // An earlier run (another phone) left every file behind.
    phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    for (const auto& path : work.database_paths()) write_file(path, "old " + path);

    // A second start finds the folders present and clears the old files,
    // logs included, so SQLite cannot apply an old log to the new copy.
    work = phone::prepare_work_folder(phone.temp());
    for (const auto& path : work.database_paths()) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::is_directory(work.picture_folder));

    EXPECT_EQ(phone::run_acquisition(phone.helper(), work), phone::DeviceState::Ready);
    EXPECT_EQ(read_file(work.contacts_db), "new contacts");
    EXPECT_EQ(read_file(work.messages_backup), "new messages");
    for (const auto* path : {&work.contacts_shm, &work.contacts_wal, &work.messages_shm, &work.messages_wal})
        EXPECT_FALSE(fs::exists(*path)) << *path;

    // Closing (or going back) deletes the database files and the logs again.
    write_file(work.contacts_wal, "log");
    phone::delete_work_files(work);
    for (const auto& path : work.database_paths()) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::is_directory(work.contacts_backup_folder));
}

TEST(Acquisition, WorkFolderLayout) {
    const phone::WorkFolder work = phone::work_folder_paths("/T mp/");
    EXPECT_EQ(work.contacts_db, "/T mp/Quenfora/contacts2.db");
    EXPECT_EQ(work.contacts_backup, "/T mp/Quenfora/bak/contacts2.db");
    EXPECT_EQ(work.picture_folder, "/T mp/Quenfora/picture/");
    EXPECT_EQ(work.messages_db, "/T mp/quenfora-recovery-for-android/mmssms.db");
    EXPECT_EQ(work.messages_backup, "/T mp/quenfora-recovery-for-android/bak/mmssms.db");
    const std::array<std::string, 8> order = {
        "/T mp/Quenfora/contacts2.db",
        "/T mp/Quenfora/bak/contacts2.db",
        "/T mp/Quenfora/contacts2.db-shm",
        "/T mp/Quenfora/contacts2.db-wal",
        "/T mp/quenfora-recovery-for-android/mmssms.db",
        "/T mp/quenfora-recovery-for-android/bak/mmssms.db",
        "/T mp/quenfora-recovery-for-android/mmssms.db-shm",
        "/T mp/quenfora-recovery-for-android/mmssms.db-wal",
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

TEST(AdbRunner, MissingHelperMeansNoDevice) {
    SimPhone phone;
    const phone::WorkFolder work = phone::prepare_work_folder(phone.temp());
    const phone::AdbHelper missing{"/nonexistent/quenfora-recovery-for-android-adb-help"};
    EXPECT_EQ(phone::adb_run(missing, {"devices"}), "");
    EXPECT_EQ(phone::run_acquisition(missing, work), phone::DeviceState::NoDevice);
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
