#pragma once
// The release number; the Windows version resource (src/app/kestrune.rc) carries the same.
inline constexpr const char* kKestruneVersion = "0.4";
