#include "sim_shell.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "sim_content.h"

namespace fs = std::filesystem;

namespace phone_sim {
namespace {

Output fail(std::string err, int code = 1) { return Output{"", std::move(err), code}; }

const char* kDefaultProps =
    "[ro.build.version.release]: [14]\n"
    "[ro.build.version.sdk]: [34]\n"
    "[ro.debuggable]: [0]\n"
    "[ro.product.manufacturer]: [Google]\n"
    "[ro.product.model]: [Pixel 7]\n";

// What the user may see of a file: root sees all; the shell user only what
// shell_may_read allows (a folder it may not enter hides the file itself).
bool visible(const Folder& folder, const std::string& remote, bool as_root) {
    return as_root || folder.shell_may_read(remote);
}

bool regular(const std::string& local) {
    std::error_code ec;
    return !local.empty() && fs::is_regular_file(local, ec);
}

// Whether `tool` may read `remote`; when not, its complaint is added to `o`.
bool readable_by(const Folder& folder, const std::string& remote, bool as_root, const std::string& tool, Output& o) {
    const char* why = !regular(folder.file(remote)) ? "No such file or directory"
                      : !visible(folder, remote, as_root) ? "Permission denied"
                                                          : nullptr;
    if (!why) return true;
    o.err += tool + ": " + remote + ": " + why + "\n";
    o.code = 1;
    return false;
}

unsigned mode_of(const std::string& local) {
    struct stat st {};
    return ::stat(local.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string mode_letters(unsigned mode) {
    std::string text = "-";
    const char* letters = "rwx";
    for (int bit = 8; bit >= 0; --bit) text += (mode & (1u << bit)) ? letters[(8 - bit) % 3] : '-';
    return text;
}

Output cmd_stat(const Folder& folder, const std::vector<std::string>& w, bool as_root) {
    if (folder.has("no-stat")) return fail("/system/bin/sh: stat: not found\n", 127);
    if (w.size() < 4 || w[1] != "-c") return fail("stat: usage\n");
    Output o;
    for (std::size_t i = 3; i < w.size(); ++i) {
        if (!readable_by(folder, w[i], as_root, "stat", o)) continue;
        const std::string local = folder.file(w[i]);
        std::string line;
        for (std::size_t c = 0; c < w[2].size(); ++c) {
            if (w[2][c] != '%' || c + 1 == w[2].size()) {
                line += w[2][c];
                continue;
            }
            const char f = w[2][++c];
            if (f == 's') {
                line += std::to_string(fs::file_size(local));
            } else if (f == 'a') {
                char octal[16];
                std::snprintf(octal, sizeof octal, "%o", mode_of(local));
                line += octal;
            } else if (f == 'n') {
                line += w[i];
            } else {
                line += std::string("%") + f;
            }
        }
        o.out += line + "\n";
    }
    return o;
}

Output cmd_ls(const Folder& folder, const std::vector<std::string>& w, bool as_root) {
    if (w.size() != 3 || w[1] != "-l") return fail("ls: usage\n");
    Output o;
    if (!readable_by(folder, w[2], as_root, "ls", o)) return o;
    const std::string local = folder.file(w[2]);
    const std::string size = std::to_string(fs::file_size(local));
    const std::string name = fs::path(w[2]).filename().string();
    // toolbox (no stat) prints no link count; toybox does.
    if (folder.has("no-stat"))
        return Output{mode_letters(mode_of(local)) + " u0_a4    u0_a4    " + size + " 2014-06-10 10:21 " + name + "\n", "", 0};
    return Output{mode_letters(mode_of(local)) + " 1 u0_a4 u0_a4 " + size + " 2024-06-10 10:21 " + name + "\n", "", 0};
}

Output cmd_cat(const Folder& folder, const std::vector<std::string>& w, bool as_root) {
    Output o;
    for (std::size_t i = 1; i < w.size(); ++i)
        if (readable_by(folder, w[i], as_root, "cat", o)) o.out += read_whole(folder.file(w[i]));
    return o;
}

Output cmd_chmod(const Folder& folder, const std::vector<std::string>& w, bool as_root) {
    if (w.size() != 3) return fail("chmod: usage\n");
    char* end = nullptr;
    const long mode = std::strtol(w[1].c_str(), &end, 8);
    // toolbox's chmod knows octal modes only.
    if (w[1].empty() || *end != '\0' || mode < 0 || mode > 07777) return fail("Bad mode\n");
    const std::string local = folder.file(w[2]);
    if (!regular(local)) return fail("chmod: " + w[2] + ": No such file or directory\n");
    if (!as_root) return fail("chmod: " + w[2] + ": Operation not permitted\n");
    std::error_code ec;
    fs::permissions(local, static_cast<fs::perms>(mode), ec);
    return ec ? fail("chmod: " + w[2] + ": " + ec.message() + "\n") : Output{};
}

Output cmd_su(const Folder& folder, const std::vector<std::string>& w) {
    if (!folder.has("root")) return fail("/system/bin/sh: su: not found\n", 127);
    if (folder.has("su-denied")) return fail("Permission denied\n");
    const std::string kind = folder.read("root");
    const auto rest = [&](std::size_t from) { return std::vector<std::string>(w.begin() + static_cast<long>(from), w.end()); };
    if (kind == "c") {
        if (w.size() == 3 && w[1] == "-c") return run_line(folder, w[2], true);
        return fail("su: invalid arguments\n");
    }
    const bool aosp = kind == "0";
    if (w.size() >= 3 && (w[1] == "root" || (aosp && w[1] == "0"))) return run_words(folder, rest(2), true);
    return fail("su: unknown user " + (w.size() > 1 ? w[1] : std::string()) + "\n");
}

}  // namespace

std::vector<std::string> split_words(std::string_view line, bool& ok) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    ok = true;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) return ok = false, words;
            word.append(line.substr(i + 1, close - i - 1));
            i = close;
            in_word = true;
        } else if (c == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
                word += line[i];
            }
            if (i >= line.size()) return ok = false, words;
            in_word = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            in_word = true;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

Output run_words(const Folder& folder, std::vector<std::string> w, bool as_root) {
    bool quiet = false;
    for (auto it = w.begin(); it != w.end();) {
        if (*it == "2>/dev/null") {
            quiet = true;
            it = w.erase(it);
        } else {
            ++it;
        }
    }
    Output o;
    if (w.empty()) return o;
    const std::string& cmd = w[0];
    if (cmd == "id") {
        o.out = as_root ? "uid=0(root) gid=0(root) groups=0(root) context=u:r:su:s0\n"
                        : "uid=2000(shell) gid=2000(shell) groups=2000(shell),1004(input) context=u:r:shell:s0\n";
    } else if (cmd == "getprop") {
        o.out = folder.has("props") ? folder.read("props") : kDefaultProps;
    } else if (cmd == "sh" && w.size() == 3 && w[1] == "-c") {
        o = run_line(folder, w[2], as_root);
    } else if (cmd == "su") {
        o = cmd_su(folder, w);
    } else if (cmd == "stat") {
        o = cmd_stat(folder, w, as_root);
    } else if (cmd == "ls") {
        o = cmd_ls(folder, w, as_root);
    } else if (cmd == "cat") {
        o = cmd_cat(folder, w, as_root);
    } else if (cmd == "chmod") {
        o = cmd_chmod(folder, w, as_root);
    } else if (cmd == "content") {
        o = content_command(folder, w);
    } else {
        o = fail("/system/bin/sh: " + cmd + ": not found\n", 127);
    }
    if (quiet) o.err.clear();
    return o;
}

Output run_line(const Folder& folder, const std::string& line, bool as_root) {
    bool ok = true;
    const auto words = split_words(line, ok);
    if (!ok) return fail("/system/bin/sh: syntax error: unterminated quoted string\n", 2);
    return run_words(folder, words, as_root);
}

}  // namespace phone_sim
