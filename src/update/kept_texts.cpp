#include "update/kept_texts.h"

#include <mutex>
#include <set>
#include <string>

namespace quen::update {

const char* keep_text(std::string_view text) {
    // Deliberately never destroyed: a detached check may still use them at exit.
    static auto* mutex = new std::mutex();
    static auto* texts = new std::set<std::string, std::less<>>();
    std::lock_guard lk(*mutex);
    auto it = texts->find(text);
    if (it == texts->end()) it = texts->emplace(text).first;
    return it->c_str();
}

}  // namespace quen::update
