#pragma once
// A getopt-style scanner over an argument vector, with no global state so that
// runs on different threads cannot disturb each other.
//
// Rules (POSIX getopt, with the GNU permutation): an argument "-xyz" is a
// cluster of single-letter options; an option listed with a following ':' in
// the option string takes an argument, either the rest of its cluster or the
// next argument; "--" ends the options; a lone "-" is an operand. Operands
// either end the options (posixly_correct) or are handed out in place while
// scanning goes on after them.
#include <string>
#include <string_view>
#include <vector>

namespace quen::cdr {

class OptionScanner {
public:
    enum class Kind { Option, Operand, End, Invalid, MissingArgument };
    struct Item {
        Kind kind = Kind::End;
        char option = 0;   // Option, Invalid, MissingArgument
        std::string text;  // the option's argument, or the operand
    };

    // args[0] is the program name and is not scanned.
    OptionScanner(const std::vector<std::string>& args, std::string_view optstring,
                  bool posixly_correct);
    Item next();
    // Arguments left after the options ended (after "--" or, when posixly
    // correct, from the first operand on).
    std::vector<std::string> rest() const;

private:
    bool takes_argument(char c, bool& known) const;
    void step_cluster();

    std::vector<std::string> args_;
    std::string_view optstring_;
    bool posixly_correct_;
    size_t index_ = 1;    // argument being looked at
    size_t cluster_ = 0;  // position within an option cluster; 0: not in one
    bool ended_ = false;
};

}  // namespace quen::cdr
