#pragma once
// What the window's tests and screenshots recover: a phone's records and a
// card image with found files on it.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "cdr/disks/cdr_node.h"
#include "cdr/scan/scan_tree.h"
#include "records/model/record_model.h"
#include "test_support/files.h"
#include "ui/recovery/recovery_walk.h"

namespace quen::test {

// Ten contacts ("Person 0" ...) and two threads of one message each.
struct Phone {
    records::ContactMap contact_map;
    records::ThreadMap thread_map;
    records::ContactList contacts;
    records::ThreadList threads;

    Phone();
    void check_contacts(int n);  // the first n checked, the others not
    void check_threads(bool on);
};

// A 4 MiB card image whose every byte tells its offset, with three jpg and
// one png found file on it.
struct Card {
    TempDir dir{"quen-ui-card"};
    std::string bytes;
    std::unique_ptr<cdr::CdrNode> root;
    cdr::CdrNode* disk = nullptr;
    std::unique_ptr<cdr::ScanTreeNode> tree;

    Card();
    void check_all(bool on);
    std::string slice(uint64_t off, uint64_t n) const { return bytes.substr(off, n); }
};

// Holds a recovery's worker after its first found file until released.
class Gate {
public:
    cdr::FileWrittenFn hook();
    bool is_reached();
    void release();

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool reached_ = false, released_ = false;
};

// Contacts, messages and the card's disk as the tree's top-level items.
ui::RecoveryInputs recovery_inputs(Phone& phone, Card& card, const std::string& out, const std::string& template_path);

}  // namespace quen::test
