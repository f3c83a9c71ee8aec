// The search pipeline: one request (search-box text, scope folder, generation) becomes the ranked
// RowList the window shows. Rows are written into out, whose arena belongs to the request.
#pragma once
#include <cstdint>

struct RowList;

// text: the search-box text (null counts as ""); scope_folder: the folder the user dived into,
// ending with a backslash, or null/"" for none; generation: the request's number (0 outside the
// search lanes), handed to sources that stop early when it goes stale.
void run_query(const char16_t* text, const char16_t* scope_folder, RowList* out, int32_t generation);
// The quick answer without the file indexer; 1 when it produced rows.
int run_local_preview(const char16_t* text, const char16_t* scope_folder, RowList* out);
// The folder's children that match the scope name; 1 when the request is scoped.
int run_scoped_preview(const char16_t* text, const char16_t* scope_folder, RowList* out);
// Quick Access pins that match the query (tag P, scores 580 to 670), in pin order.
void search_pins(const char16_t* query, RowList* out);
