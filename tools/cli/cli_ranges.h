// Printing of match ranges for the query subcommands: "start:length" pairs separated by spaces.
#pragma once
#include <cstdint>
#include <string>

#include "query/fuzzy.h"

std::string cli_format_ranges(const MatchRange* ranges, int32_t count);
