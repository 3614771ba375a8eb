#include "ui_fixtures.h"

#include "cdr/disks/disk_image.h"

namespace quen::test {

Phone::Phone() {
    for (int i = 0; i < 10; ++i) {
        records::ContactRecord& c = records::find_or_create_contact(contact_map, -(i + 1), false);
        c.name = "Person " + std::to_string(i);
        c.phone = "+4930" + std::to_string(1000 + i);
    }
    for (int i = 0; i < 2; ++i) {
        records::ThreadRecord& t = records::find_or_create_thread(thread_map, "+4930" + std::to_string(i), i + 1, false);
        records::MessageRecord m;
        m.type = 1;
        m.body = "hello " + std::to_string(i);
        m.date_text = "2024-01-0" + std::to_string(i + 1) + " 10:00:00";
        records::add_message(t, m);
    }
    contacts = records::build_contact_list(contact_map);
    threads = records::build_thread_list(thread_map);
}

void Phone::check_contacts(int n) {
    for (size_t i = 0; i < contacts.size(); ++i) contacts[i]->checked = static_cast<int>(i) < n;
}

void Phone::check_threads(bool on) {
    for (auto* t : threads) t->checked = on;
}

Card::Card() : root(cdr::make_root()) {
    bytes.resize(4 << 20);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 9));
    const std::string img = dir.path() + "/card.img";
    write_file(img, bytes);
    disk = cdr::cdr_add_image(img, *root);
    cdr::CdrNode* jpg = disk->add_child(cdr::CdrKind::FileType, "jpg");
    jpg->add_found_file("1.jpg", 3000, 512);
    jpg->add_found_file("16.jpg", 70000, 8192);
    jpg->add_found_file("400.jpg", 1500000, 204800);
    cdr::CdrNode* png = disk->add_child(cdr::CdrKind::FileType, "png");
    png->add_found_file("4000.png", 9999, 2048000);
    tree = cdr::build_scan_tree(*disk);
}

void Card::check_all(bool on) {
    for (auto& type : tree->children)
        for (auto& item : type->items) item.checked = on;
}

cdr::FileWrittenFn Gate::hook() {
    return [this](const std::string&, bool) {
        std::unique_lock lk(m_);
        if (reached_) return;
        reached_ = true;
        cv_.notify_all();
        cv_.wait(lk, [this] { return released_; });
    };
}

bool Gate::is_reached() {
    std::lock_guard lk(m_);
    return reached_;
}

void Gate::release() {
    {
        std::lock_guard lk(m_);
        released_ = true;
    }
    cv_.notify_all();
}

ui::RecoveryInputs recovery_inputs(Phone& phone, Card& card, const std::string& out, const std::string& template_path) {
    ui::RecoveryInputs in;
    in.categories = {{ui::kItemContacts, true, "Contacts (10)", nullptr},
                     {ui::kItemMessages, true, "Message (2)", nullptr},
                     {ui::kItemDisk, true, card.tree->name, card.tree.get()}};
    in.contacts = &phone.contacts;
    in.threads = &phone.threads;
    in.output_folder = out;
    in.template_path = template_path;
    return in;
}

}  // namespace quen::test
