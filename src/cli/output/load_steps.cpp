#include "cli/output/load_steps.h"

namespace quen::cli {

std::string load_step_text(WParam step, LParam total) {
    static const char* const kSteps[] = {
        "contacts: work copy read",
        "contacts: backup copy read",
        "contacts: free space of the work copy scanned",
        "contacts: free space of the backup copy scanned",
        "messages: free space of the work copy scanned",
        "messages: free space of the backup copy scanned",
        "messages: work copy read",
        "messages: backup copy read",
    };
    std::string text = std::to_string(step) + "/" + std::to_string(total);
    if (step >= 1 && step <= 8) text += std::string(" ") + kSteps[step - 1];
    return text;
}

}  // namespace quen::cli
