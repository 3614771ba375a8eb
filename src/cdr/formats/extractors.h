#pragma once
// One extractor per format, each in its own file; format_table.cpp maps type
// ids onto them. Types that share a format (OLE, RIFF, ZIP, QuickTime) share
// one extractor, which reads the wanted kind from the SearchSpec's type.
#include "cdr/extractor.h"

namespace quen::cdr::fmt {

ExtractResult extract_jpeg(const ExtractInput& in);
ExtractResult extract_gif(const ExtractInput& in);
ExtractResult extract_bmp(const ExtractInput& in);
ExtractResult extract_mpeg(const ExtractInput& in);
ExtractResult extract_pdf(const ExtractInput& in);
ExtractResult extract_ole(const ExtractInput& in);
ExtractResult extract_riff(const ExtractInput& in);
ExtractResult extract_wmv(const ExtractInput& in);
ExtractResult extract_html(const ExtractInput& in);
ExtractResult extract_zip(const ExtractInput& in);
ExtractResult extract_quicktime(const ExtractInput& in);
ExtractResult extract_cpp_source(const ExtractInput& in);
ExtractResult extract_png(const ExtractInput& in);
ExtractResult extract_rar(const ExtractInput& in);
ExtractResult extract_exe(const ExtractInput& in);

}  // namespace quen::cdr::fmt
