#include "records/model/record_model.h"

#include <gtest/gtest.h>

#include "platform/local_time.h"
#include "records/model/mimetype_tables.h"
#include "records/model/text_list.h"

using namespace quen;
using namespace quen::records;

namespace {

TEST(TextList, MergeRule) {
    std::string list;
    records::merge_text_value(list, "");
    EXPECT_EQ(list, "");
    records::merge_text_value(list, "123");
    records::merge_text_value(list, "123");
    EXPECT_EQ(list, "123");
    records::merge_text_value(list, "12");  // a prefix of an item is a different item
    EXPECT_EQ(list, "123|12");
    records::merge_text_value(list, "1");
    records::merge_text_value(list, "23");  // a suffix of an item likewise
    EXPECT_EQ(list, "123|12|1|23");
    records::merge_text_value(list, "12");  // an item in the middle
    records::merge_text_value(list, "23");  // the last item
    records::merge_text_value(list, "");
    EXPECT_EQ(list, "123|12|1|23");
    records::merge_text_value(list, "12|1");  // not one item, so appended as bytes
    EXPECT_EQ(list, "123|12|1|23|12|1");

    std::string caps = "Ana";
    records::merge_text_value(caps, "ana");  // byte-exact, case matters
    EXPECT_EQ(caps, "Ana|ana");

    EXPECT_TRUE(records::split_text_list("").empty());
    EXPECT_EQ(records::split_text_list("a||b|"), (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(FieldKinds, MimetypeTablesAndFields) {
    records::ensure_mimetype_kind_table();
    EXPECT_EQ(records::mimetype_kind_table().size(), 15u);
    EXPECT_EQ(records::kind_for_mimetype("vnd.android.cursor.item/phone_v2"), 5);
    EXPECT_EQ(records::kind_for_mimetype("vnd.android.cursor.item/postal-address_v2"), 8);
    EXPECT_EQ(records::kind_for_mimetype("vnd.android.cursor.item/relation"), 15);
    EXPECT_EQ(records::kind_for_mimetype("VND.android.cursor.item/phone_v2"), 0);
    EXPECT_EQ(records::kind_for_mimetype("vnd.android.cursor.item/phone_v2 "), 0);
    EXPECT_EQ(records::kind_for_mimetype(""), 0);

    auto& ids = records::mimetype_id_table();
    ids.clear();
    ids[3] = "vnd.android.cursor.item/email_v2";
    ids[6] = "vnd.android.cursor.item/sip_address";
    ids[8] = "vnd.com.whatsapp.profile";
    EXPECT_EQ(records::kind_for_mimetype_id(3), 1);
    EXPECT_EQ(records::kind_for_mimetype_id(6), 6);
    EXPECT_EQ(records::kind_for_mimetype_id(8), 0);   // unknown text
    EXPECT_EQ(records::kind_for_mimetype_id(99), 0);  // unknown id
    EXPECT_EQ(records::mimetype_text_for_id(99), "");

    records::ContactRecord contact;
    const std::pair<records::FieldKind, std::string ContactRecord::*> fields[] = {
        {1, &records::ContactRecord::email},         {2, &records::ContactRecord::im},        {3, &records::ContactRecord::nickname},
        {4, &records::ContactRecord::organization},  {5, &records::ContactRecord::phone},     {6, &records::ContactRecord::sip_address},
        {7, &records::ContactRecord::name},          {8, &records::ContactRecord::postal_address}, {10, &records::ContactRecord::website},
        {11, &records::ContactRecord::note},
    };
    // Built by appending: g++ 12 at -O3 misreads "v" + std::to_string() as an overlapping copy.
    const auto tagged = [](char tag, records::FieldKind kind) {
        std::string text(1, tag);
        text += std::to_string(kind);
        return text;
    };
    for (const auto& [kind, field] : fields) {
        records::add_contact_value(contact, tagged('v', kind), kind);
        EXPECT_EQ(contact.*field, tagged('v', kind)) << kind;
    }
    for (records::FieldKind kind : {0, 9, 12, 13, 14, 15, 16, -1, 1000}) records::add_contact_value(contact, tagged('o', kind), kind);
    EXPECT_EQ(contact.others, "o0|o9|o12|o13|o14|o15|o16|o-1|o1000");
    records::add_contact_value(contact, "x@y", records::kind_for_mimetype_id(8));
    EXPECT_EQ(contact.others, "o0|o9|o12|o13|o14|o15|o16|o-1|o1000|x@y");
    ids.clear();
}

TEST(ContactMap, NegativeAndPositiveKeysNeverMerge) {
    records::ContactMap map;
    records::ContactRecord& live = records::find_or_create_contact(map, -42, false);
    live.raw_contact_id = 42;  // the contacts reader files library contacts under -id
    records::add_contact_value(live, "555", field_kind::kPhone);
    records::ContactRecord& rebuilt = find_or_create_contact(map, 42, true);
    EXPECT_NE(&live, &rebuilt);
    EXPECT_TRUE(rebuilt.deleted);
    EXPECT_TRUE(rebuilt.checked);
    EXPECT_EQ(rebuilt.raw_contact_id, 42);
    records::add_contact_value(rebuilt, "old@mail", field_kind::kEmail);
    // A second recovered row of the same contact merges into the same record.
    records::ContactRecord& again = find_or_create_contact(map, 42, false);
    EXPECT_EQ(&again, &rebuilt);
    EXPECT_TRUE(again.deleted);  // the first caller's flag stays
    records::add_contact_value(again, "556", field_kind::kPhone);
    EXPECT_EQ(live.phone, "555");
    EXPECT_EQ(rebuilt.phone, "556");
    EXPECT_EQ(rebuilt.email, "old@mail");
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.begin()->first, -42);
}

records::MessageRecord make_message(int32_t type, int64_t thread, const std::string& date, const std::string& address,
                  const std::string& body, bool deleted = false) {
    records::MessageRecord message;
    message.type = type;
    message.thread_id = thread;
    message.date_text = date;
    message.address = address;
    message.body = body;
    message.deleted = deleted;
    return message;
}

TEST(ThreadMap, DuplicateTestComparesEveryFieldButDeleted) {
    records::ThreadMap map;
    records::ThreadRecord& thread = records::find_or_create_thread(map, "100", 1, true);
    EXPECT_TRUE(thread.deleted);
    EXPECT_TRUE(thread.checked);
    EXPECT_EQ(thread.name, "");
    EXPECT_EQ(&find_or_create_thread(map, "100", 1, false), &thread);
    EXPECT_TRUE(thread.deleted);  // an existing thread keeps its flag

    const auto base = make_message(1, 1, "2020-01-01 10:00:00", "100", "hi", true);
    EXPECT_TRUE(records::add_message(thread, base));
    EXPECT_FALSE(records::add_message(thread, make_message(1, 1, "2020-01-01 10:00:00", "100", "hi", false)));
    ASSERT_EQ(thread.messages.size(), 1u);
    EXPECT_TRUE(thread.messages[0].deleted);  // the first one stays, with its flag

    EXPECT_TRUE(records::add_message(thread, make_message(2, 1, "2020-01-01 10:00:00", "100", "hi")));
    EXPECT_TRUE(records::add_message(thread, make_message(1, 2, "2020-01-01 10:00:00", "100", "hi")));
    EXPECT_TRUE(records::add_message(thread, make_message(1, 1, "2020-01-01 10:00:01", "100", "hi")));
    EXPECT_TRUE(records::add_message(thread, make_message(1, 1, "2020-01-01 10:00:00", "1000", "hi")));
    EXPECT_TRUE(records::add_message(thread, make_message(1, 1, "2020-01-01 10:00:00", "100", "hi ")));
    EXPECT_EQ(thread.messages.size(), 6u);
    EXPECT_FALSE(records::add_message(thread, make_message(1, 1, "2020-01-01 10:00:00", "100", "hi ")));
}

TEST(ThreadMap, KeyOrderIsUnsignedBytesThenThreadId) {
    records::ThreadMap map;
    records::find_or_create_thread(map, "\xC3\xA9t\xC3\xA9", 1, false);  // high bytes sort last
    find_or_create_thread(map, "12", 5, false);
    find_or_create_thread(map, "123", 1, false);
    find_or_create_thread(map, "12", -3, false);
    find_or_create_thread(map, "", 9, false);
    find_or_create_thread(map, "12", 5, true);  // same key, no new thread
    std::vector<std::pair<std::string, int64_t>> keys;
    for (const auto& [key, thread] : map) {
        EXPECT_EQ(thread.address, key.first);
        EXPECT_EQ(thread.thread_id, key.second);
        keys.push_back(key);
    }
    const std::vector<std::pair<std::string, int64_t>> want = {
        {"", 9}, {"12", -3}, {"12", 5}, {"123", 1}, {"\xC3\xA9t\xC3\xA9", 1}};
    EXPECT_EQ(keys, want);
}

TEST(Naming, ExactPhoneItemsLaterContactWins) {
    records::ContactMap contacts;
    auto& alice = records::find_or_create_contact(contacts, -9, false);
    alice.name = "Alice";
    alice.phone = "555|+48600";
    auto& bob = find_or_create_contact(contacts, -2, false);  // later in key order
    bob.name = "Bob|Bobby";
    bob.phone = "555";
    auto& nameless = find_or_create_contact(contacts, 4, true);
    nameless.phone = "777";
    auto& no_phone = find_or_create_contact(contacts, 5, true);
    no_phone.name = "Nobody";

    records::ThreadMap threads;
    auto& shared_number = records::find_or_create_thread(threads, "555", 1, false);
    auto& with_prefix = find_or_create_thread(threads, "+48600", 2, false);
    auto& without_prefix = find_or_create_thread(threads, "600", 3, false);  // no prefix: no match
    auto& nameless_number = find_or_create_thread(threads, "777", 4, false);
    auto& empty_address = find_or_create_thread(threads, "", 5, false);
    records::name_threads(contacts, threads);
    EXPECT_EQ(shared_number.name, "Bob|Bobby");  // the whole name list
    EXPECT_EQ(with_prefix.name, "Alice");
    EXPECT_EQ(without_prefix.name, "");
    EXPECT_EQ(nameless_number.name, "");
    EXPECT_EQ(empty_address.name, "");

    // Only alice contact with an empty phone item names an empty address.
    auto& odd = find_or_create_contact(contacts, 6, true);
    odd.name = "Odd";
    odd.phone = "1||2";
    name_threads(contacts, threads);
    EXPECT_EQ(empty_address.name, "Odd");
}

TEST(Ordering, MessagesByDateBytesAndListsDeletedFirst) {
    records::ThreadRecord thread;
    thread.messages = {make_message(1, 1, "2021-05-01 00:00:00", "a", "3"), make_message(1, 1, "2021-04-30 23:59:59", "a", "2"),
                  make_message(1, 1, "", "a", "1"), make_message(1, 1, "2021-05-01 00:00:00x", "a", "4")};
    records::sort_thread_messages(thread);
    std::string order;
    for (const auto& message : thread.messages) order += message.body;
    EXPECT_EQ(order, "1234");

    records::ContactMap contacts;
    EXPECT_TRUE(records::build_contact_list(contacts).empty());
    for (int64_t key : {-5, -3, 2, 7}) records::find_or_create_contact(contacts, key, key == -3 || key == 7);
    const records::ContactList contact_list = build_contact_list(contacts);
    ASSERT_EQ(contact_list.size(), 4u);
    EXPECT_TRUE(contact_list[0]->deleted);
    EXPECT_TRUE(contact_list[1]->deleted);
    EXPECT_FALSE(contact_list[2]->deleted);
    EXPECT_FALSE(contact_list[3]->deleted);
    EXPECT_EQ(contact_list[0], &contacts.at(-3));  // map order kept within a group
    EXPECT_EQ(contact_list[3], &contacts.at(2));

    records::ThreadMap threads;
    records::find_or_create_thread(threads, "a", 1, false);
    find_or_create_thread(threads, "b", 1, true);
    find_or_create_thread(threads, "c", 1, false);
    const records::ThreadList thread_list = build_thread_list(threads);
    ASSERT_EQ(thread_list.size(), 3u);
    EXPECT_EQ(thread_list[0]->address, "b");
    EXPECT_EQ(thread_list[1]->address, "a");
    EXPECT_EQ(thread_list[2]->address, "c");
}

TEST(SmsDate, LocalTimeWithClamp) {
    EXPECT_EQ(records::sms_date_text(1700000000999LL), platform::local_time_text("%Y-%m-%d %H:%M:%S", 1700000000));
    EXPECT_EQ(records::sms_date_text(-5000), records::sms_date_text(0));
    EXPECT_EQ(records::sms_date_text(-999), records::sms_date_text(0));  // truncation, not floor
    EXPECT_EQ(records::sms_date_text(32535194399999LL), platform::local_time_text("%Y-%m-%d %H:%M:%S", 32535194399));
    EXPECT_EQ(records::sms_date_text(32535194400000LL), records::sms_date_text(0));
    EXPECT_EQ(records::sms_date_text(INT64_MIN), records::sms_date_text(0));
    EXPECT_EQ(records::sms_date_text(0).size(), 19u);
}

}  // namespace
