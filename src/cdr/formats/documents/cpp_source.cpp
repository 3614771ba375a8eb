// C/C++ source text: a "#include" line inside a run of printable text that
// mentions "int". The run is taken to extend backwards before the hit as far
// as the text goes, within the bytes readable there.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_cpp_source(const ExtractInput& in) {
    static const Pattern kInt = make_pattern("int");
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < 20) return std::nullopt;
    bool quoted = false;
    for (uint64_t i = 0; i < 20; ++i)
        if (v.data()[i] == '"' || v.data()[i] == '<') quoted = true;
    if (!quoted) return skip(in);

    uint64_t i = 0;
    while (i < r && is_text(v.data()[i])) ++i;
    if (i <= 49) return go_on(in, i > 0 ? i - 1 : 0);
    uint64_t b = 0;
    while (b < in.before && is_text(in.hit[-static_cast<ptrdiff_t>(b) - 1])) ++b;

    const ByteView run(in.hit - b, i + b - 1);
    if (!run.find(kInt, 0, run.size())) return std::nullopt;
    in.recorder->record(*in.spec, in.device_offset(0) - b, i + b - 1);
    return i - 1;
}

}  // namespace

FormatDefinition cpp_source_format() {
    // Only by name: C++ text is not in the built-in table.
    return {std::nullopt,
            {{"cpp", FormatRow{"cpp", FormatType::Cpp, bytes_of("#include"), bytes_of("char"), 1 * kMiB,
                               {bytes_of("int")}, true, extract_cpp_source}}}};
}

}  // namespace quen::cdr::fmt
