// The Everything indexer record (id 0) that the indexer option selects.
#include "indexers/everything_client.h"
#include "query/indexer_backend.h"
#include "store/options.h"

const IndexerBackend kEverythingBackend{kIndexerEverything, everything_backend_search,
                                        everything_backend_search_in_folder};
