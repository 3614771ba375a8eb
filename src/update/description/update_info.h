#pragma once
// What the update check knows about this product and what one manual check
// has learned from the version description file.
#include <string>

namespace quen::update {

constexpr const char* kProductName = "Quenfora Corvalin for Android";
constexpr const char* kOwnVersion = "2.1.0.35";

// The manual check's state. Each check has its own, so two checks started in
// quick succession never write the same one.
struct UpdateInfo {
    std::string product_name;    // UTF-8, matched exactly against "name"
    std::string own_version;
    std::string server_version;  // "version" of this product's element
    bool found = false;          // this product's "product" element was seen
    bool newer = false;          // result: announce a new version

    // Sets the product name and own version and clears the rest, so every
    // run starts clean.
    void reset();
};

}  // namespace quen::update
