#pragma once
// Text lists: one string holding zero or more values separated by a single
// "|", the form in which a contact keeps every value of one kind.
#include <string>
#include <string_view>
#include <vector>

namespace quen::records {

// Merges `value` into a list: an empty value adds nothing; a value equal to
// one of the items (whole item, byte-exact) adds nothing; otherwise it becomes
// the list (empty list) or is appended after "|".
void merge_text_value(std::string& list, std::string_view value);
// The items of a text list; an empty list has none.
std::vector<std::string> split_text_list(std::string_view list);

}  // namespace quen::records
