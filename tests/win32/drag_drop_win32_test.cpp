// The dragged file's OLE objects as a drop target sees them: the formats, the CF_HDROP payload
// read back with DragQueryFileW, the preferred effect, the enumerator and the drop source.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "actions/drag_drop_win32.h"

namespace {

FORMATETC fmt(UINT cf, DWORD tymed = TYMED_HGLOBAL) {
    return FORMATETC{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, tymed};
}

TEST(DragDataObject, GivesExactlyTheOnePathAndACopyEffect) {
    const std::u16string path = u"C:\\users\\Public\\R\u00e9sum\u00e9 2026.txt";
    IDataObject* data = drag_data_object_new(path);
    ASSERT_NE(data, nullptr);
    const UINT preferred = drag_preferred_effect_format();
    ASSERT_NE(preferred, 0u);

    FORMATETC f = fmt(CF_HDROP);
    EXPECT_EQ(data->QueryGetData(&f), S_OK);
    STGMEDIUM m{};
    ASSERT_EQ(data->GetData(&f, &m), S_OK);
    EXPECT_EQ(m.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(m.pUnkForRelease, nullptr);
    HDROP drop = static_cast<HDROP>(GlobalLock(m.hGlobal));
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 1u);
    wchar_t got[MAX_PATH] = {};
    DragQueryFileW(drop, 0, got, MAX_PATH);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(got)), path);
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);

    f = fmt(preferred);
    EXPECT_EQ(data->QueryGetData(&f), S_OK);
    ASSERT_EQ(data->GetData(&f, &m), S_OK);
    const DWORD* effect = static_cast<const DWORD*>(GlobalLock(m.hGlobal));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(*effect, static_cast<DWORD>(DROPEFFECT_COPY));
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);

    f = fmt(CF_UNICODETEXT);
    EXPECT_EQ(data->QueryGetData(&f), DV_E_FORMATETC);
    EXPECT_EQ(data->GetData(&f, &m), DV_E_FORMATETC);
    f = fmt(CF_HDROP, TYMED_ISTREAM);
    EXPECT_EQ(data->QueryGetData(&f), DV_E_FORMATETC);
    EXPECT_EQ(data->GetDataHere(&f, &m), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&f, &m, FALSE), E_NOTIMPL);
    FORMATETC canon{};
    f = fmt(CF_HDROP);
    EXPECT_EQ(data->GetCanonicalFormatEtc(&f, &canon), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(canon.cfFormat, CF_HDROP);
    DWORD conn = 7;
    EXPECT_EQ(data->DAdvise(&f, 0, nullptr, &conn), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(conn, 0u);
    IEnumSTATDATA* adv = reinterpret_cast<IEnumSTATDATA*>(1);
    EXPECT_EQ(data->EnumDAdvise(&adv), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(adv, nullptr);

    IUnknown* unk = nullptr;
    ASSERT_EQ(data->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unk)), S_OK);
    IDropSource* wrong = nullptr;
    EXPECT_EQ(data->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&wrong)), E_NOINTERFACE);
    EXPECT_EQ(wrong, nullptr);
    EXPECT_EQ(data->QueryInterface(IID_IDataObject, nullptr), E_POINTER);
    EXPECT_EQ(unk->Release(), 1u);
    EXPECT_EQ(data->Release(), 0u);
}

TEST(DragDataObject, EnumeratorWalksBothFormats) {
    IDataObject* data = drag_data_object_new(u"C:\\a.txt");
    ASSERT_NE(data, nullptr);
    IEnumFORMATETC* e = nullptr;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &e), E_NOTIMPL);
    EXPECT_EQ(e, nullptr);
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &e), S_OK);
    FORMATETC got[3] = {};
    ULONG n = 0;
    EXPECT_EQ(e->Next(3, got, &n), S_FALSE);
    ASSERT_EQ(n, 2u);
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
    EXPECT_EQ(got[1].cfFormat, drag_preferred_effect_format());
    EXPECT_EQ(got[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(got[0].lindex, -1);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(1), S_OK);
    IEnumFORMATETC* clone = nullptr;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, got, &n), S_OK);
    EXPECT_EQ(got[0].cfFormat, drag_preferred_effect_format());  // the clone kept the position
    EXPECT_EQ(clone->Next(1, got, &n), S_FALSE);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    EXPECT_EQ(clone->Release(), 0u);
    EXPECT_EQ(e->Release(), 0u);
    EXPECT_EQ(data->Release(), 0u);
}

TEST(DragSource, EscapeCancelsAndReleasingDrops) {
    IDropSource* src = drag_source_new();
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(src->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(src->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(src->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(src->Release(), 0u);
}

}  // namespace
