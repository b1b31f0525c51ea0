// The type tags of values. Every value carries a tag text; only these mean
// anything, and any other tag (system words carry descriptive ones) counts as
// none of them.
#pragma once

namespace tama {

inline constexpr char kTagString[] = "s";  // a string
inline constexpr char kTagNumber[] = "e";  // a number
inline constexpr char kTagHash[] = "hs";   // the text of a dictionary
// The value and tag of a dictionary made by assigning to an item of a word
// that did not exist.
inline constexpr char kTagDictionaryWord[] = "ハッシュ";

}  // namespace tama
