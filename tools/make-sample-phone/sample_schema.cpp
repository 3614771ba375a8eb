#include "sample_schema.h"

namespace quen::sample_phone {

std::string contacts_schema(bool kitkat) {
    std::string sql =
        "CREATE TABLE accounts (_id INTEGER PRIMARY KEY AUTOINCREMENT,account_name TEXT,"
        "account_type TEXT,data_set TEXT);"
        "CREATE TABLE mimetypes (_id INTEGER PRIMARY KEY AUTOINCREMENT,mimetype TEXT NOT NULL);"
        "CREATE UNIQUE INDEX mime_type ON mimetypes (mimetype);"
        "CREATE TABLE packages (_id INTEGER PRIMARY KEY AUTOINCREMENT,package TEXT NOT NULL);"
        "CREATE TABLE contacts (_id INTEGER PRIMARY KEY AUTOINCREMENT,name_raw_contact_id INTEGER "
        "REFERENCES raw_contacts(_id),photo_id INTEGER REFERENCES data(_id),photo_file_id INTEGER "
        "REFERENCES photo_files(_id),custom_ringtone TEXT,send_to_voicemail INTEGER NOT NULL DEFAULT 0,"
        "times_contacted INTEGER NOT NULL DEFAULT 0,last_time_contacted INTEGER,starred INTEGER NOT NULL "
        "DEFAULT 0,pinned INTEGER NOT NULL DEFAULT 0,has_phone_number INTEGER NOT NULL DEFAULT 0,lookup TEXT,"
        "status_update_id INTEGER REFERENCES data(_id),contact_last_updated_timestamp INTEGER);"
        "CREATE TABLE raw_contacts (_id INTEGER PRIMARY KEY AUTOINCREMENT,account_id INTEGER REFERENCES "
        "accounts(_id),sourceid TEXT,";
    if (!kitkat) sql += "backup_id TEXT,";
    sql += "raw_contact_is_read_only INTEGER NOT NULL DEFAULT 0,version INTEGER NOT NULL DEFAULT 1,"
         "dirty INTEGER NOT NULL DEFAULT 0,deleted INTEGER NOT NULL DEFAULT 0,";
    if (!kitkat) sql += "metadata_dirty INTEGER NOT NULL DEFAULT 0,";
    sql += "contact_id INTEGER REFERENCES contacts(_id),aggregation_mode INTEGER NOT NULL DEFAULT 0,"
         "aggregation_needed INTEGER NOT NULL DEFAULT 1,custom_ringtone TEXT,send_to_voicemail INTEGER "
         "NOT NULL DEFAULT 0,times_contacted INTEGER NOT NULL DEFAULT 0,last_time_contacted INTEGER,"
         "starred INTEGER NOT NULL DEFAULT 0,";
    if (!kitkat) sql += "pinned INTEGER NOT NULL DEFAULT 0,";
    sql += "display_name TEXT,display_name_alt TEXT,display_name_source INTEGER NOT NULL DEFAULT 0,"
         "phonetic_name TEXT,phonetic_name_style TEXT,sort_key TEXT,phonebook_label TEXT,"
         "phonebook_bucket INTEGER,sort_key_alt TEXT,phonebook_label_alt TEXT,phonebook_bucket_alt INTEGER,"
         "name_verified INTEGER NOT NULL DEFAULT 0,sync1 TEXT, sync2 TEXT, sync3 TEXT, sync4 TEXT );"
         "CREATE INDEX raw_contacts_contact_id_index ON raw_contacts (contact_id);";
    sql += "CREATE TABLE data (_id INTEGER PRIMARY KEY AUTOINCREMENT,package_id INTEGER REFERENCES "
         "package(_id),mimetype_id INTEGER REFERENCES mimetype(_id) NOT NULL,raw_contact_id INTEGER "
         "REFERENCES raw_contacts(_id) NOT NULL,";
    if (!kitkat) sql += "hash_id TEXT,";
    sql += "is_read_only INTEGER NOT NULL DEFAULT 0,is_primary INTEGER NOT NULL DEFAULT 0,is_super_primary "
         "INTEGER NOT NULL DEFAULT 0,data_version INTEGER NOT NULL DEFAULT 0,data1 TEXT,data2 TEXT,"
         "data3 TEXT,data4 TEXT,data5 TEXT,data6 TEXT,data7 TEXT,data8 TEXT,data9 TEXT,data10 TEXT,"
         "data11 TEXT,data12 TEXT,data13 TEXT,data14 TEXT,data15 TEXT,data_sync1 TEXT, data_sync2 TEXT, "
         "data_sync3 TEXT, data_sync4 TEXT";
    if (!kitkat)
        sql += ", carrier_presence INTEGER NOT NULL DEFAULT 0, preferred_phone_account_componentname TEXT, "
             "preferred_phone_account_id TEXT";
    sql += ");"
         "CREATE INDEX data_raw_contact_id ON data (raw_contact_id);"
         "CREATE INDEX data_mimetype_data1_index ON data (mimetype_id,data1);";
    return sql;
}

std::string messages_schema(bool kitkat) {
    std::string sql =
        "CREATE TABLE canonical_addresses (_id INTEGER PRIMARY KEY AUTOINCREMENT,address TEXT);"
        "CREATE TABLE threads (_id INTEGER PRIMARY KEY AUTOINCREMENT,date INTEGER DEFAULT 0,"
        "message_count INTEGER DEFAULT 0,recipient_ids TEXT,snippet TEXT,snippet_cs INTEGER DEFAULT 0,"
        "read INTEGER DEFAULT 1,";
    if (!kitkat) sql += "archived INTEGER DEFAULT 0,";
    sql += "type INTEGER DEFAULT 0,error INTEGER DEFAULT 0,has_attachment INTEGER DEFAULT 0);"
         "CREATE TABLE sms (_id INTEGER PRIMARY KEY,thread_id INTEGER,address TEXT,person INTEGER,"
         "date INTEGER,date_sent INTEGER DEFAULT 0,protocol INTEGER,read INTEGER DEFAULT 0,"
         "status INTEGER DEFAULT -1,type INTEGER,reply_path_present INTEGER,subject TEXT,body TEXT,"
         "service_center TEXT,locked INTEGER DEFAULT 0,";
    if (!kitkat) sql += "sub_id INTEGER DEFAULT -1, ";
    sql += "error_code INTEGER DEFAULT 0,";
    if (!kitkat) sql += "creator TEXT,";
    sql += "seen INTEGER DEFAULT 0);"
         "CREATE INDEX typeThreadIdIndex ON sms (type, thread_id);"
         "CREATE TABLE pdu (_id INTEGER PRIMARY KEY AUTOINCREMENT,thread_id INTEGER,date INTEGER,"
         "date_sent INTEGER DEFAULT 0,msg_box INTEGER,read INTEGER DEFAULT 0,m_id TEXT,sub TEXT,"
         "sub_cs INTEGER,ct_t TEXT,ct_l TEXT,exp INTEGER,m_cls TEXT,m_type INTEGER,v INTEGER,m_size INTEGER,"
         "pri INTEGER,rr INTEGER,rpt_a INTEGER,resp_st INTEGER,st INTEGER,tr_id TEXT,retr_st INTEGER,"
         "retr_txt TEXT,retr_txt_cs INTEGER,read_status INTEGER,ct_cls INTEGER,resp_txt TEXT,d_tm INTEGER,"
         "d_rpt INTEGER,locked INTEGER DEFAULT 0,seen INTEGER DEFAULT 0,text_only INTEGER DEFAULT 0);";
    return sql;
}

}  // namespace quen::sample_phone
