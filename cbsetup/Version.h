// The installer's version texts, as its version resource states them.
#pragma once

namespace cbsetup {

inline constexpr const char* kFileDescription = "Cobblix Installation";
inline constexpr const char* kFileVersion = "2.0";
inline constexpr const char* kInternalName = "CBsetup";

} // namespace cbsetup
