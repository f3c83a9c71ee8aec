// The marker's drop-target mode: "kestrune_marker.exe --drop-target LOG" shows a window at the
// screen's top-left corner (240 x 240) that accepts file drops and writes, for each drop, the
// number of files and every path in CF_HDROP, and the preferred drop effect, to LOG (UTF-8, one
// item a line; the file is replaced whole at each drop). It ends after its first drop, or after
// two minutes without one.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace {

std::string utf8(const wchar_t* s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool write_whole(const std::wstring& target, const std::string& text) {
    const std::wstring temp = target + L".part";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);
    return ok && put == text.size() && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

class Target final : public IDropTarget {
public:
    explicit Target(std::wstring log) : log_(std::move(log)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the program
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        accept_ = data && data->QueryGetData(&f) == S_OK;
        *effect = accept_ ? (*effect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accept_ ? (*effect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        std::string text;
        FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM m{};
        if (data && SUCCEEDED(data->GetData(&f, &m))) {
            if (HDROP drop = static_cast<HDROP>(GlobalLock(m.hGlobal))) {
                const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
                text += "files " + std::to_string(n) + "\n";
                for (UINT i = 0; i < n; ++i) {
                    wchar_t path[MAX_PATH] = {};
                    DragQueryFileW(drop, i, path, MAX_PATH);
                    text += "path " + utf8(path) + "\n";
                }
                GlobalUnlock(m.hGlobal);
            }
            ReleaseStgMedium(&m);
        }
        f.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT));
        if (data && SUCCEEDED(data->GetData(&f, &m))) {
            if (const DWORD* v = static_cast<const DWORD*>(GlobalLock(m.hGlobal))) {
                text += "preferred " + std::to_string(*v) + "\n";
                GlobalUnlock(m.hGlobal);
            }
            ReleaseStgMedium(&m);
        }
        write_whole(log_, text);
        *effect = DROPEFFECT_COPY;
        PostQuitMessage(0);
        return S_OK;
    }

private:
    std::wstring log_;
    bool accept_ = false;
};

}  // namespace

int run_drop_target(const wchar_t* log) {
    if (FAILED(OleInitialize(nullptr))) return 20;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"KestruneDropTarget";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Kestrune drop target", WS_POPUP | WS_VISIBLE, 0,
                                  0, 240, 240, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 21;
    Target target(log);
    if (FAILED(RegisterDragDrop(window, &target))) return 22;
    SetTimer(window, 1, 120000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == window) break;
        DispatchMessageW(&msg);
    }
    RevokeDragDrop(window);
    DestroyWindow(window);
    OleUninitialize();
    return 0;
}
