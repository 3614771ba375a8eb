#pragma once
// Small, valid files of the formats phones write, built in code for the unit
// tests and the fuzz seeds (the sample card made like a phone's uses real
// encoders instead: make-phone-card). Payload bytes come from Rng::payload,
// so no other file's header appears inside one.
#include <string>

#include "sample_files.h"

namespace quen::sample {

// ISO base media: "ftyp" with the major brand and the compatible ones, then
// "moov" (or "meta" for a picture brand such as heic) and "mdat" filling the
// rest of `size`.
Bytes make_iso(Rng& rng, size_t size, const std::string& brand, const std::string& compatible);
// "RIFF" ... "WEBP", one "VP8 " chunk.
Bytes make_webp(Rng& rng, size_t size);
// MPEG-1 layer III frames of 417 bytes (128 kbit/s, 44.1 kHz), after an ID3v2
// tag when `tagged`, with an ID3v1 trailer when `trailer`.
Bytes make_mp3(Rng& rng, int frames, bool tagged, bool trailer);
// One Ogg stream of `pages` pages (first and last marked), CRCs set; the
// first packet names the codec ("OpusHead" or "\x01vorbis").
Bytes make_ogg(Rng& rng, int pages, const std::string& first_packet);
// "#!AMR\n" and frames of type 7 (12.2 kbit/s, 32 bytes each).
Bytes make_amr(Rng& rng, int frames);
// An SQLite database of `pages` pages of 4096 bytes whose header counts them.
Bytes make_sqlite(Rng& rng, int pages);
// `cards` vCards, CRLF line ends.
Bytes make_vcard(Rng& rng, int cards);

}  // namespace quen::sample
