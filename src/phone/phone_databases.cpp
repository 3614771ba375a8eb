#include "phone/phone_databases.h"

namespace quen::phone {

const char* database_file_name(PhoneDatabase database) {
    return database == PhoneDatabase::Contacts ? "contacts2.db" : "mmssms.db";
}

const char* database_label(PhoneDatabase database) {
    return database == PhoneDatabase::Contacts ? "contacts" : "messages";
}

std::vector<std::string> database_folders(PhoneDatabase database, int sdk) {
    if (database == PhoneDatabase::Contacts)
        return {"/data/data/com.android.providers.contacts/databases",
                "/data/user/0/com.android.providers.contacts/databases"};
    const std::string credential = "/data/data/com.android.providers.telephony/databases";
    const std::string user = "/data/user/0/com.android.providers.telephony/databases";
    const std::string device = "/data/user_de/0/com.android.providers.telephony/databases";
    constexpr int kDeviceProtectedStorageSdk = 24;
    if (sdk > 0 && sdk < kDeviceProtectedStorageSdk) return {credential, user, device};
    return {device, credential, user};
}

std::array<std::string, 4> local_targets(const WorkFolder& work, PhoneDatabase database) {
    if (database == PhoneDatabase::Contacts)
        return {work.contacts_db, work.contacts_shm, work.contacts_wal, work.contacts_journal};
    return {work.messages_db, work.messages_shm, work.messages_wal, work.messages_journal};
}

}  // namespace quen::phone
