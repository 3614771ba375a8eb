// Found-file output: the copy routine's reads and cuts, the folder layout, the
// done counter, cancelling, and write failures that must be reported.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "cdr/disks/disk_image.h"
#include "cdr/output/copy_out.h"
#include "cdr/output/found_file_writer.h"
#include "test_support/files.h"

namespace fs = std::filesystem;
using namespace quen;
using namespace quen::cdr;

namespace {

using quen::test::read_bytes;
using quen::test::TempDir;

// A disk image whose byte i is a function of i, so every slice is recognisable.
struct Disk {
    TempDir dir{"quen-writer"};
    std::vector<uint8_t> bytes;
    std::unique_ptr<CdrNode> root = make_root();
    CdrNode* disk = nullptr;

    explicit Disk(size_t size) : bytes(size) {
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131) ^ (i >> 8) ^ (i >> 16));
        const std::string img = dir.path() + "/card.img";
        std::ofstream(img, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        disk = cdr_add_image(img, *root);
    }
    std::vector<uint8_t> slice(uint64_t off, uint64_t n) const {
        return std::vector<uint8_t>(bytes.begin() + static_cast<long>(off), bytes.begin() + static_cast<long>(off + n));
    }
    CdrNode* type(const char* name) { return disk->add_child(CdrKind::FileType, name); }
};

struct Calls {
    std::vector<std::pair<uint64_t, uint64_t>> seen;  // (total, current) per call
    ProgressFn fn() {
        return [this](uint64_t total, uint64_t current, const FoundFile*) {
            seen.emplace_back(total, current);
            return kProgressGoOn;
        };
    }
};

TEST(CopyOut, UnalignedStartTakesTheRestOfItsSectorThenTheNextRead) {
    Disk d(8192);
    FoundFile f;
    f.offset = 1000;
    f.size = 100;
    Calls calls;
    CopyBuffer buf;
    const std::string out = d.dir.path() + "/out";
    CopyResult r = cdr_copy_out(f, d.disk->copy_fd(), out, buf, calls.fn());
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.written, 100u);
    EXPECT_EQ(read_bytes(out), d.slice(1000, 100));
    // 24 bytes (1,000..1,023) from the sector at 512, the other 76 from the next read.
    EXPECT_EQ(calls.seen, (std::vector<std::pair<uint64_t, uint64_t>>{{100, 24}, {100, 100}}));

    // A file that ends inside its first sector needs no further read.
    f.offset = 513;
    f.size = 10;
    calls.seen.clear();
    EXPECT_TRUE(cdr_copy_out(f, d.disk->copy_fd(), out, buf, calls.fn()).ok());
    EXPECT_EQ(read_bytes(out), d.slice(513, 10));
    EXPECT_EQ(calls.seen.size(), 1u);
}

TEST(CopyOut, LargeFileTakesMiBUnitsTheLastCut) {
    const uint64_t size = 3 * 1024 * 1024 + 10;
    Disk d(size + 4096);
    FoundFile f;
    f.offset = 2048;
    f.size = size;
    Calls calls;
    CopyBuffer buf;
    const std::string out = d.dir.path() + "/big";
    CopyResult r = cdr_copy_out(f, d.disk->copy_fd(), out, buf, calls.fn());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(read_bytes(out), d.slice(2048, size));
    const uint64_t M = 1024 * 1024;
    EXPECT_EQ(calls.seen, (std::vector<std::pair<uint64_t, uint64_t>>{{size, M}, {size, 2 * M}, {size, 3 * M}, {size, size}}));
}

TEST(CopyOut, ShortDiskStopAndUncreatableFileAreNotSuccess) {
    Disk d(4096);
    CopyBuffer buf;
    FoundFile f;
    f.offset = 3072;
    f.size = 2000;  // runs past the image's end
    const std::string out = d.dir.path() + "/short";
    CopyResult r = cdr_copy_out(f, d.disk->copy_fd(), out, buf, {});
    EXPECT_EQ(r.status, CopyStatus::ReadShort);
    // What the disk gave stays, under a name nobody takes for a recovered file.
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(read_bytes(out + ".part"), d.slice(3072, 1024));

    // A copy stopped halfway leaves nothing, not a half file under the
    // found file's name; an earlier whole copy of the same name stays.
    Disk big(3 * 1024 * 1024);
    f.offset = 0;
    f.size = 1024;
    const std::string whole = d.dir.path() + "/whole";
    ASSERT_TRUE(cdr_copy_out(f, big.disk->copy_fd(), whole, buf, {}).ok());
    f.size = 3 * 1024 * 1024;
    int calls = 0;
    r = cdr_copy_out(f, big.disk->copy_fd(), whole, buf,
                     [&](uint64_t, uint64_t, const FoundFile*) { return ++calls > 1 ? kProgressStop : kProgressGoOn; });
    EXPECT_EQ(r.status, CopyStatus::Stopped);
    EXPECT_EQ(r.written, 1024u * 1024);
    EXPECT_FALSE(fs::exists(whole + ".part"));
    EXPECT_EQ(read_bytes(whole), big.slice(0, 1024));

    r = cdr_copy_out(f, d.disk->copy_fd(), d.dir.path() + "/no/such/folder/x", buf, {});
    EXPECT_EQ(r.status, CopyStatus::CreateFailed);
    EXPECT_EQ(r.error, ENOENT);
}

TEST(FoundFileWriter, LayoutCheckedItemsAndDoneCounter) {
    Disk d(64 * 1024);
    CdrNode* jpg = d.type("jpg");
    jpg->add_found_file("2.jpg", 3000, 1024);
    jpg->add_found_file("20.jpg", 700, 10240 + 3);
    jpg->add_found_file("40.jpg", 500, 20480);
    CdrNode* png = d.type("png");
    png->add_found_file("60.png", 900, 30720);
    d.type("gif");  // a type without files
    auto tree = build_scan_tree(*d.disk);
    // Uncheck one JPEG and every PNG.
    for (auto& t : tree->children) {
        if (t->type_name() == "jpg") std::next(t->items.begin())->checked = false;
        if (t->type_name() == "png")
            for (auto& it : t->items) it.checked = false;
    }
    EXPECT_EQ(count_checked_items(*tree), 2u);

    std::string err;
    const std::string out = make_output_folder(d.dir.path() + "/chosen", &err);
    ASSERT_FALSE(out.empty()) << err;
    EXPECT_EQ(fs::path(out).parent_path(), fs::path(d.dir.path() + "/chosen"));
    EXPECT_EQ(fs::path(out).filename().string().rfind("Retrivane", 0), 0u);
    EXPECT_EQ(fs::path(out).filename().string().size(), 9u + 14u);

    FoundFileWriterJob job;
    job.disk = tree.get();
    job.destination = make_disk_folder_text(out);
    EXPECT_EQ(fs::path(job.destination).filename().string().rfind("disk", 0), 0u);
    std::atomic<uint64_t> done{5};
    RecoveryState state;
    state.set(kRecoveryRunning);
    CopyBuffer buf;
    FoundFileWriteResult r = write_found_files(job, state, buf, done);
    EXPECT_EQ(r.written, 2u);
    EXPECT_TRUE(r.failed.empty());
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(done.load(), 7u);
    EXPECT_EQ(read_bytes(job.destination + "/jpg/2.jpg"), d.slice(1024, 3000));
    EXPECT_EQ(read_bytes(job.destination + "/jpg/40.jpg"), d.slice(20480, 500));
    EXPECT_FALSE(fs::exists(job.destination + "/jpg/20.jpg"));
    EXPECT_FALSE(fs::exists(job.destination + "/png")) << "all unchecked: no folder";
    EXPECT_FALSE(fs::exists(job.destination + "/gif"));

    // A second disk written in the same second gets a folder of its own.
    const std::string second = make_disk_folder_text(out);
    EXPECT_NE(second, job.destination);
    EXPECT_FALSE(fs::exists(second));
}

TEST(FoundFileWriter, CancelledRecoveryKeepsWhatWasWritten) {
    Disk d(64 * 1024);
    CdrNode* jpg = d.type("jpg");
    jpg->add_found_file("2.jpg", 3000, 1024);
    jpg->add_found_file("20.jpg", 700, 10240);
    CdrNode* png = d.type("png");
    png->add_found_file("60.png", 900, 30720);
    auto tree = build_scan_tree(*d.disk);

    FoundFileWriterJob job;
    job.disk = tree.get();
    job.destination = d.dir.path() + "/disk";
    std::atomic<uint64_t> done{0};
    RecoveryState state;
    state.set(kRecoveryRunning);
    CopyBuffer buf;
    // The user presses Stop while the first file is written.
    auto r = write_found_files(job, state, buf, done, [&](const std::string&, bool) {
        state.set(kRecoveryStopRequested);
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.written, 1u);
    EXPECT_EQ(done.load(), 1u);
    EXPECT_EQ(read_bytes(job.destination + "/jpg/2.jpg"), d.slice(1024, 3000));
    EXPECT_FALSE(fs::exists(job.destination + "/jpg/20.jpg"));
    EXPECT_FALSE(fs::exists(job.destination + "/png"));
}

TEST(FoundFileWriter, WriteFailureIsCountedAndReported) {
    // A file-size limit stands in for a full output disk: writes past 4,000
    // bytes fail with EFBIG. Limits belong to the process, so a child runs it.
    Disk d(64 * 1024);
    CdrNode* jpg = d.type("jpg");
    jpg->add_found_file("2.jpg", 3000, 1024);
    jpg->add_found_file("20.jpg", 9000, 10240);
    jpg->add_found_file("60.jpg", 100, 30720);
    auto tree = build_scan_tree(*d.disk);
    FoundFileWriterJob job;
    job.disk = tree.get();
    job.destination = d.dir.path() + "/disk";

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim {4000, 4000};
        if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(10);
        std::atomic<uint64_t> done{0};
        RecoveryState state;
        state.set(kRecoveryRunning);
        CopyBuffer buf;
        auto r = write_found_files(job, state, buf, done);
        if (r.written != 2 || done.load() != 2) _exit(11);
        if (r.failed.size() != 1) _exit(12);
        if (r.failed[0].path != job.destination + "/jpg/20.jpg") _exit(13);
        if (r.failed[0].reason.find("write failed after 4000 of 9000 bytes") == std::string::npos) _exit(14);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(job.destination + "/jpg/20.jpg")) << "no half file";
    EXPECT_FALSE(fs::exists(job.destination + "/jpg/20.jpg.part")) << "nothing of a failed write";
    EXPECT_EQ(read_bytes(job.destination + "/jpg/60.jpg"), d.slice(30720, 100));
}

}  // namespace
