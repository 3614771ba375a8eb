#include "cdr/engine/option_scanner.h"

namespace quen::cdr {

OptionScanner::OptionScanner(const std::vector<std::string>& args, std::string_view optstring,
                             bool posixly_correct)
    : args_(args), optstring_(optstring), posixly_correct_(posixly_correct) {}

bool OptionScanner::takes_argument(char c, bool& known) const {
    known = false;
    if (c == ':') return false;
    const size_t at = optstring_.find(c);
    if (at == std::string_view::npos) return false;
    known = true;
    return at + 1 < optstring_.size() && optstring_[at + 1] == ':';
}

void OptionScanner::step_cluster() {
    if (cluster_ >= args_[index_].size()) {
        ++index_;
        cluster_ = 0;
    }
}

OptionScanner::Item OptionScanner::next() {
    Item item;
    if (ended_) return item;
    if (cluster_ == 0) {
        if (index_ >= args_.size()) {
            ended_ = true;
            return item;
        }
        const std::string& a = args_[index_];
        if (a == "--") {
            ++index_;
            ended_ = true;
            return item;
        }
        if (a.size() < 2 || a[0] != '-') {
            if (posixly_correct_) {
                ended_ = true;
                return item;
            }
            ++index_;
            item.kind = Kind::Operand;
            item.text = a;
            return item;
        }
        cluster_ = 1;
    }
    const std::string& a = args_[index_];
    const char c = a[cluster_++];
    item.option = c;
    bool known = false;
    const bool with_arg = takes_argument(c, known);
    if (!known) {
        item.kind = Kind::Invalid;
        step_cluster();
        return item;
    }
    if (!with_arg) {
        item.kind = Kind::Option;
        step_cluster();
        return item;
    }
    if (cluster_ < a.size()) {
        item.text = a.substr(cluster_);
        ++index_;
        cluster_ = 0;
        item.kind = Kind::Option;
        return item;
    }
    ++index_;
    cluster_ = 0;
    if (index_ >= args_.size()) {
        item.kind = Kind::MissingArgument;
        return item;
    }
    item.text = args_[index_++];
    item.kind = Kind::Option;
    return item;
}

std::vector<std::string> OptionScanner::rest() const {
    if (!ended_ || index_ >= args_.size()) return {};
    return {args_.begin() + static_cast<std::ptrdiff_t>(index_), args_.end()};
}

}  // namespace quen::cdr
