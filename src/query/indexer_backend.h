// The active file indexer: Windows Search (id 1) or Everything (id 0, the OptionsIndexer numbers),
// chosen from the indexer option. The search workers read the active record while the window
// thread may switch it.
#pragma once
#include <cstdint>

struct RowList;

struct IndexerBackend {
    int32_t id;
    // Appends result rows, or one information row (kind 0, tag '?') when nothing was found or the
    // indexer failed. many asks for up to 2000 results instead of 50.
    void (*search)(const char16_t* query, int folders_only, const char16_t* extension_filter,
                   const char16_t* highlight_query, RowList* out, int32_t generation, int many);
    // Looks for name below folder and reports the same way.
    void (*search_in_folder)(const char16_t* name, const char16_t* folder, const char16_t* highlight_query,
                             RowList* out, int32_t generation);
};


extern const IndexerBackend kWindowsSearchBackend;
extern const IndexerBackend kEverythingBackend;

// Never null; Windows Search until something else is selected.
const IndexerBackend* indexer_backend();
// Selects the record for the indexer option and moves the cache generation on.
void indexer_backend_select(int32_t id);
// Makes backend the active record (null: Windows Search) and returns the previous one; tests use
// it to put an indexer of their own in place.
const IndexerBackend* indexer_backend_install(const IndexerBackend* backend);
