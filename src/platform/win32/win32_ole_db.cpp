// The Windows Search OLE DB provider (Search.CollatorDSO). Each thread keeps its own initialised
// data source, created on its first query in a single-threaded apartment; the client drops it
// after a failed step so that the next query starts afresh. Where Windows Search is not installed
// (wine, some servers) CoCreateInstance fails with REGDB_E_CLASSNOTREG.
#include <windows.h>
#include <objbase.h>
#include <oledb.h>
#include <oledberr.h>

#include "platform/ole_db.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/wide.h"

namespace {

// {9E175B8B-F52A-11D8-B9A5-505054503030}: the Windows Search collator data source.
constexpr CLSID kCollatorDso = {0x9E175B8B, 0xF52A, 0x11D8, {0xB9, 0xA5, 0x50, 0x50, 0x54, 0x50, 0x30, 0x30}};
// DBGUID_DEFAULT: the provider's own SQL dialect.
constexpr GUID kDbGuidDefault = {0xC8B521FB, 0x5CF3, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};

constexpr int32_t kMaxBatch = 64;
constexpr int32_t kMaxColumns = 8;

// Plain pointers: the data source is kept for the thread's life and never released at exit.
thread_local IDBInitialize* t_source = nullptr;
thread_local bool t_com_ready = false;

class Win32Rowset : public OleDbRowset {
public:
    Win32Rowset(ComRef<IDBCreateSession> session, ComRef<IDBCreateCommand> command, ComRef<ICommandText> text,
                ComRef<IRowset> rowset, ComRef<IAccessor> accessor, HACCESSOR handle)
        : session_(std::move(session)), command_(std::move(command)), text_(std::move(text)),
          rowset_(std::move(rowset)), accessor_(std::move(accessor)), handle_(handle) {}

    ~Win32Rowset() override {
        release_rows();
        accessor_->ReleaseAccessor(handle_, nullptr);
        // The members release in reverse order: accessor, rowset, command text, command, session.
    }

    int32_t next_rows(int32_t max, int32_t* obtained) override {
        *obtained = 0;
        release_rows();
        if (max > kMaxBatch) max = kMaxBatch;
        if (max <= 0) return S_OK;
        DBCOUNTITEM got = 0;
        HROW* rows = rows_;
        HRESULT hr = rowset_->GetNextRows(DB_NULL_HCHAPTER, 0, max, &got, &rows);
        if (got > static_cast<DBCOUNTITEM>(max)) got = 0;  // never trust more than was asked for
        count_ = static_cast<int32_t>(got);
        *obtained = count_;
        return hr;
    }

    int32_t get_data(int32_t i, void* buffer) override {
        if (i < 0 || i >= count_) return E_INVALIDARG;
        return rowset_->GetData(rows_[i], handle_, buffer);
    }

    void release_rows() override {
        if (count_ > 0) rowset_->ReleaseRows(count_, rows_, nullptr, nullptr, nullptr);
        count_ = 0;
    }

private:
    ComRef<IDBCreateSession> session_;
    ComRef<IDBCreateCommand> command_;
    ComRef<ICommandText> text_;
    ComRef<IRowset> rowset_;
    ComRef<IAccessor> accessor_;
    HACCESSOR handle_;
    HROW rows_[kMaxBatch] = {};
    int32_t count_ = 0;
};

class Win32OleDb : public OleDb {
public:
    int32_t connect() override {
        if (t_source) return S_OK;
        if (!t_com_ready) {
            HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (hr == S_OK || hr == S_FALSE) t_com_ready = true;
        }
        ComRef<IDBInitialize> source;
        HRESULT hr = CoCreateInstance(kCollatorDso, nullptr, CLSCTX_INPROC_SERVER, IID_IDBInitialize, source.out_void());
        if (FAILED(hr)) return hr;
        if (!source) return E_FAIL;
        hr = source->Initialize();
        if (FAILED(hr)) return hr;
        source->AddRef();
        t_source = source.get();
        return S_OK;
    }

    void disconnect() override {
        if (t_source) t_source->Release();
        t_source = nullptr;
    }

    int32_t execute(std::u16string_view sql, const OleDbColumn* columns, int32_t column_count,
                    std::unique_ptr<OleDbRowset>& out) override {
        out.reset();
        if (!t_source || column_count <= 0 || column_count > kMaxColumns) return E_FAIL;
        ComRef<IDBCreateSession> session;
        HRESULT hr = t_source->QueryInterface(IID_IDBCreateSession, session.out_void());
        if (FAILED(hr)) return hr;
        ComRef<IDBCreateCommand> command;
        hr = session->CreateSession(nullptr, IID_IDBCreateCommand, reinterpret_cast<IUnknown**>(command.out()));
        if (FAILED(hr)) return hr;
        ComRef<ICommandText> text;
        hr = command->CreateCommand(nullptr, IID_ICommandText, reinterpret_cast<IUnknown**>(text.out()));
        if (FAILED(hr)) return hr;
        std::wstring wide = to_wide(sql);
        hr = text->SetCommandText(kDbGuidDefault, wide.c_str());
        if (FAILED(hr)) return hr;
        ComRef<IRowset> rowset;
        hr = text->Execute(nullptr, IID_IRowset, nullptr, nullptr, reinterpret_cast<IUnknown**>(rowset.out()));
        if (FAILED(hr)) return hr;
        if (!rowset) return E_FAIL;
        ComRef<IAccessor> accessor;
        hr = rowset->QueryInterface(IID_IAccessor, accessor.out_void());
        if (FAILED(hr)) return hr;
        DBBINDING bindings[kMaxColumns] = {};
        for (int32_t i = 0; i < column_count; ++i) {
            DBBINDING& b = bindings[i];
            b.iOrdinal = columns[i].ordinal;
            b.obValue = columns[i].value_offset;
            b.obLength = columns[i].length_offset;
            b.obStatus = columns[i].status_offset;
            b.dwPart = DBPART_VALUE | DBPART_LENGTH | DBPART_STATUS;
            b.dwMemOwner = DBMEMOWNER_CLIENTOWNED;
            b.eParamIO = DBPARAMIO_NOTPARAM;
            b.cbMaxLen = columns[i].max_bytes;
            b.wType = DBTYPE_WSTR;
        }
        HACCESSOR handle = 0;
        hr = accessor->CreateAccessor(DBACCESSOR_ROWDATA, column_count, bindings, 0, &handle, nullptr);
        if (FAILED(hr)) return hr;
        out = std::make_unique<Win32Rowset>(std::move(session), std::move(command), std::move(text), std::move(rowset),
                                            std::move(accessor), handle);
        return S_OK;
    }

    bool search_service_running() override {
        ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        if (!manager.get()) return false;
        ScHandle service(OpenServiceW(manager.get(), L"WSearch", SERVICE_QUERY_STATUS));
        if (!service.get()) return false;
        SERVICE_STATUS_PROCESS status = {};
        DWORD needed = 0;
        if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                                  &needed))
            return false;
        return status.dwCurrentState == SERVICE_RUNNING;
    }
};

}  // namespace

OleDb* win32_ole_db() {
    static Win32OleDb db;
    return &db;
}
