#pragma once
// The version description file in its XML form, read by the manual check.
//
// Any well-formed document; elements named "product" carry the attributes
// "name" (a product name) and "version" (a dotted version), e.g.
//   <updates>
//     <product name="Quenfora Corvalin for Android" version="2.1.0.36"/>
//   </updates>
// Other elements, attributes and character data are ignored. The first
// "product" element whose "name" is exactly this product's name decides; the
// order of its attributes does not matter, and elements of other products
// never decide.
//
// Bytes are fed as they arrive; nothing of the body is kept beyond the parser's
// own state.
#include <cstddef>
#include <memory>
#include <string>

#include "update/description/update_info.h"

namespace quen::update {

class UpdateXmlParser {
public:
    // `info` must outlive the parser; it is reset here.
    explicit UpdateXmlParser(UpdateInfo& info);
    ~UpdateXmlParser();
    UpdateXmlParser(const UpdateXmlParser&) = delete;
    UpdateXmlParser& operator=(const UpdateXmlParser&) = delete;

    // Feeds a non-final chunk. False on an XML error (see error()); later
    // calls do nothing and return false.
    bool feed(const char* data, std::size_t size);
    // Feeds the empty final chunk. False on an XML error.
    bool finish();

    bool failed() const { return failed_; }
    // "<parser's error text> at line <n> " after a failure, else empty.
    const std::string& error() const { return error_; }

private:
    struct Deleter {
        void operator()(void* parser) const;
    };
    bool parse(const char* data, int size, bool final);
    static void on_start(void* self, const char* name, const char** attrs);

    UpdateInfo& info_;
    std::unique_ptr<void, Deleter> parser_;
    bool failed_ = false;
    std::string error_;
};

}  // namespace quen::update
