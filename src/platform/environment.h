// Process environment variables (GetEnvironmentVariableW / SetEnvironmentVariableW).
#pragma once
#include <optional>
#include <string>
#include <string_view>

class Environment {
public:
    virtual ~Environment() = default;
    virtual std::optional<std::u16string> get(std::u16string_view name) = 0;
    // A missing value removes the variable.
    virtual bool set(std::u16string_view name, std::optional<std::u16string_view> value) = 0;
    // ExpandEnvironmentStringsW: %NAME% replaced by its value; unknown names stay as written.
    virtual std::u16string expand(std::u16string_view text) = 0;
};
