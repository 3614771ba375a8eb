#pragma once
// The window's layouts are measured in Tahoma, Arial and Courier New. Debian
// ships metric-compatible free fonts for them: Wine's Tahoma (fonts-wine,
// outside fontconfig's folders, so added here) and Liberation Sans and Mono
// (fonts-liberation, which fontconfig already offers for Arial and Courier
// New). Nothing else of the user's font setup is relied on.
namespace quen::ui {

// Adds the fonts and the family substitutions; call once after the
// application object exists. Returns whether Tahoma itself was found (when
// not, text falls back to a sans-serif of similar size).
bool install_program_fonts();

}  // namespace quen::ui
