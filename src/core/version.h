#pragma once
inline constexpr const char* kKestruneVersion = "0.1.0";
