#pragma once
// Reading a saved file back with parsers that are not ours (read_back.py:
// vobject for vCard, Expat for XML, Python's csv module), as a JSON document.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>

#include "test_support/cli_run.h"

namespace quen::test {

inline const std::string kReadBackScript = QUEN_SOURCE_DIR "/tests/export/read_back.py";

// Debian's own interpreter, which python3-vobject installs for (a python3
// earlier on PATH may be another one).
inline const std::string kSystemPython = "/usr/bin/python3";

// What read_back.py prints for `kind` ("vcf", "xml", "csv") and the file; a
// failed read (the script names the broken rule on stderr) fails the test.
inline void read_back(const std::string& kind, const std::string& path, rapidjson::Document& doc) {
    const auto [out, rc] = run_command(shell_quote(kSystemPython) + " " + shell_quote(kReadBackScript) + " " + kind +
                                       " " + shell_quote(path));
    ASSERT_EQ(rc, 0) << kind << " file " << path << " could not be read back";
    ASSERT_FALSE(doc.Parse(out.c_str()).HasParseError()) << out.substr(0, 200);
}

inline std::string text(const rapidjson::Value& value) { return std::string(value.GetString(), value.GetStringLength()); }

}  // namespace quen::test
