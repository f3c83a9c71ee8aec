// Icon locations ("file,index", as shortcuts, the registry and Windows Terminal write them) and the
// path a row's icon is looked up by.
#pragma once
#include <cstdint>
#include <string_view>

struct IconLocation {
    std::u16string_view file;  // the part before the last comma
    int32_t index = 0;         // a negative index names the icon resource id (-101: id 101)
};

// True when path is "file,index": a last comma followed by an optional minus sign and one or
// more decimal digits worth at most 65535, with a file part longer than one character and shorter
// than 260 units. Anything else after the last comma makes the whole text a plain path.
bool icon_location_parse(std::u16string_view path, IconLocation* out);

// True when the location's file is one whose icons are extracted by index: ".exe", ".dll" or
// ".ico" (ASCII case-insensitive).
bool icon_location_extractable(const IconLocation& loc);

// The path whose existence and drive decide whether an icon is asked for: the file part of an
// icon location, else the path itself.
std::u16string_view icon_examined_path(std::u16string_view path);

// "shell:" paths (packaged apps in the shell namespace), ASCII case-insensitive.
bool icon_is_shell_path(std::u16string_view path);
