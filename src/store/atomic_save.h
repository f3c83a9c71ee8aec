// The one way every store writes its file: the bytes go to "<path>.tmp" beside the final file and
// replace it in one step (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
// A crash or a failed write leaves the previous file whole; a failed save removes the temporary file.
#pragma once
#include <cstdint>
#include <string_view>

// 0 on success, else the Win32 error of the step that failed.
uint32_t atomic_save(std::u16string_view path, std::string_view bytes);
