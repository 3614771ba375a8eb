#include "update/description/update_info.h"

namespace quen::update {

void UpdateInfo::reset() {
    product_name = kProductName;
    own_version = kOwnVersion;
    found = false;
    newer = false;
    // server_version keeps its last value until a new one is seen.
}

}  // namespace quen::update
