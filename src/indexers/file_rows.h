// What the two file indexers share: the score of a file row and the path joins that build one.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// fuzzy_score of the scoring text against the file name (110 / 100 / 90); a scoring text holding
// a slash or backslash is also scored by its part after the last one, the larger score kept.
// A miss scores 55, so every indexer row has a score. An empty or null scoring text gives 0.
int32_t file_row_score(const char16_t* scoring_text, const char16_t* file_name);

// The folder and the name with exactly one backslash between them ("C:\" + "a" is "C:\a"); just
// the name when the folder is empty. A bare drive item ("C:", empty folder) becomes "C:\" so that
// it names the drive's root and not its current folder.
std::u16string file_join_path(std::u16string_view folder, std::u16string_view name);
