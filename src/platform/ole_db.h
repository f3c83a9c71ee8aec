// OLE DB access to the Windows Search index, as thin as the client needs: a data source per
// thread, a command that executes one SQL statement into a rowset with bound columns, and the
// rowset's batches. Results are HRESULT values (negative: failure). The caller lays out the row
// buffer; every column is bound as DBTYPE_WSTR with value, length and status.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

namespace win {
constexpr int32_t kSOk = 0;
constexpr int32_t kSFalse = 1;
constexpr int32_t kDbSEndOfRowset = 0x00040EC6;
constexpr int32_t kEFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154u);  // REGDB_E_CLASSNOTREG
// DBSTATUS values of a bound column.
constexpr uint32_t kDbStatusOk = 0;
constexpr uint32_t kDbStatusCantConvert = 2;
constexpr uint32_t kDbStatusIsNull = 3;
constexpr uint32_t kDbStatusTruncated = 4;
}  // namespace win

// One bound column: its ordinal in the statement's select list and where its value (UTF-16, zero
// terminated, at most max_bytes with the terminator), its length in bytes (8-byte DBLENGTH) and
// its status (4-byte DBSTATUS) go in the row buffer.
struct OleDbColumn {
    uint32_t ordinal;
    uint32_t value_offset;
    uint32_t max_bytes;
    uint32_t length_offset;
    uint32_t status_offset;
};

class OleDbRowset {
public:
    // Releases the accessor, the rowset and the interfaces the command was built from.
    virtual ~OleDbRowset() = default;
    // GetNextRows of up to max rows (max at most 64); *obtained is how many came. S_OK, or
    // DB_S_ENDOFROWSET (which may still carry rows), or a failure.
    virtual int32_t next_rows(int32_t max, int32_t* obtained) = 0;
    // GetData of row i of the current batch into buffer (the row size given to execute).
    virtual int32_t get_data(int32_t i, void* buffer) = 0;
    // ReleaseRows of the current batch.
    virtual void release_rows() = 0;
};

class OleDb {
public:
    virtual ~OleDb() = default;
    // Makes sure the calling thread has an initialised data source for the Windows Search
    // provider (COM is initialised on the thread first, once). A failure leaves none.
    virtual int32_t connect() = 0;
    // Releases the calling thread's data source; the next connect creates a new one.
    virtual void disconnect() = 0;
    // Session, command, command text, Execute and the accessor over the given columns.
    virtual int32_t execute(std::u16string_view sql, const OleDbColumn* columns, int32_t column_count,
                            std::unique_ptr<OleDbRowset>& out) = 0;
    // Whether the Windows Search service (WSearch) is in the running state.
    virtual bool search_service_running() = 0;
};
