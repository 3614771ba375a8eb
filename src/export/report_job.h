#pragma once
// One report export job: the records to write and where.
#include <string>

#include "records/model/record_model.h"

namespace quen::exports {

// The caller builds one on its stack for one call. `destination` is a folder
// the caller has created (UTF-8). `template_path` empty means "template.html"
// beside the program.
struct DomainExport {
    std::string destination;
    std::string template_path;

    DomainExport(std::string destination_folder, std::string template_file)
        : destination(std::move(destination_folder)), template_path(std::move(template_file)) {}
    DomainExport(const DomainExport&) = delete;
    DomainExport& operator=(const DomainExport&) = delete;
    virtual ~DomainExport() = default;
};

// Checked contact records in display order.
struct ContactExport : DomainExport {
    const records::ContactList& contacts;

    ContactExport(const records::ContactList& list, std::string destination_folder,
                  std::string template_file = {})
        : DomainExport(std::move(destination_folder), std::move(template_file)), contacts(list) {}
};

// Checked message-thread records in display order.
struct MessageExport : DomainExport {
    const records::ThreadList& threads;

    MessageExport(const records::ThreadList& list, std::string destination_folder,
                  std::string template_file = {})
        : DomainExport(std::move(destination_folder), std::move(template_file)), threads(list) {}
};

}  // namespace quen::exports
