// A minimal drag source: the file as CF_HDROP plus "Preferred DropEffect" = copy, and OLE's own
// modal drag loop.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <new>
#include <string>

#include "actions/drag_drop.h"
#include "actions/drag_drop_win32.h"
#include "actions/shell_actions.h"
#include "core/row.h"
#include "ui/main_view.h"

namespace {

FORMATETC format_etc(uint32_t cf) {
    return FORMATETC{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

HGLOBAL global_copy(const void* data, size_t n) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    std::memcpy(p, data, n);
    GlobalUnlock(h);
    return h;
}

class FormatEnum final : public IEnumFORMATETC {
public:
    explicit FormatEnum(int32_t pos) : pos_(pos) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC)) {
            *out = static_cast<IEnumFORMATETC*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, FORMATETC* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out && wanted) return E_POINTER;
        const uint32_t cf = drag_preferred_effect_format();
        const DragEnumStep step = drag_enum_next(&pos_, drag_format_count(cf), wanted);
        for (int32_t i = 0; i < step.copied; ++i) out[i] = format_etc(drag_format_at(cf, step.first + i));
        if (fetched) *fetched = static_cast<ULONG>(step.copied);
        return step.all ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
        return drag_enum_skip(&pos_, drag_format_count(drag_preferred_effect_format()), n) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) FormatEnum(pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::atomic<ULONG> refs_{1};
    int32_t pos_;
};

class FileData final : public IDataObject {
public:
    explicit FileData(std::u16string path) : path_(std::move(path)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *out = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fmt, STGMEDIUM* medium) override {
        if (!fmt || !medium) return E_INVALIDARG;
        HGLOBAL h = nullptr;
        switch (drag_data_for(fmt->cfFormat, fmt->tymed, fmt->dwAspect, drag_preferred_effect_format())) {
            case DragData::PreferredEffect: {
                const DWORD effect = DROPEFFECT_COPY;
                h = global_copy(&effect, sizeof effect);
                break;
            }
            case DragData::Hdrop: {
                if (path_.empty()) return DV_E_FORMATETC;
                const std::string payload = hdrop_payload(path_);
                h = global_copy(payload.data(), payload.size());
                break;
            }
            default: return DV_E_FORMATETC;
        }
        if (!h) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = h;
        medium->pUnkForRelease = nullptr;  // the receiver frees the memory
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fmt) override {
        if (!fmt) return E_INVALIDARG;
        return drag_data_for(fmt->cfFormat, fmt->tymed, fmt->dwAspect, drag_preferred_effect_format()) ==
                       DragData::BadFormat
                   ? DV_E_FORMATETC
                   : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
        if (!in || !out) return E_INVALIDARG;
        *out = *in;
        out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        *out = new (std::nothrow) FormatEnum(0);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* connection) override {
        if (connection) *connection = 0;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override {
        if (out) *out = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    std::atomic<ULONG> refs_{1};
    std::u16string path_;
};

class Source final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *out = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace

unsigned drag_preferred_effect_format() {
    static const unsigned format = RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT);
    return format;
}

IDataObject* drag_data_object_new(const std::u16string& path) { return new (std::nothrow) FileData(path); }
IDropSource* drag_source_new() { return new (std::nothrow) Source(); }

bool drag_try_start(HWND window, int x, int y) {
    if (!window || !IsWindowVisible(window)) return false;
    const int32_t index = drag_row_at(y);
    if (index < 0) return false;
    // Copied before any modal loop: a posted result may replace the rows while the user drags.
    const std::u16string path = view_state().shown.rows->items[index].path;
    POINT pt{x, y};
    if (!ClientToScreen(window, &pt)) return false;
    if (!DragDetect(window, pt)) return true;  // released inside the drag rectangle: a click
    ShownList& shown = view_state().shown;
    if (shown.rows && index < shown.rows->count) shown.selection = index;
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    IDataObject* data = drag_data_object_new(path);
    IDropSource* source = drag_source_new();
    if (data && source) {
        DWORD effect = DROPEFFECT_NONE;
        DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);  // the effect is not used
    }
    if (data) data->Release();
    if (source) source->Release();
    return true;
}
