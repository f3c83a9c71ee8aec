// What the Windows Search provider access must do, against the fake natively and against both the
// fake and Win32 under wine. A fresh fake, like wine, is a machine without Windows Search.
#include <gtest/gtest.h>

#include <memory>

#include "contract/backends.h"
#include "indexers/windows_search.h"
#include "platform/ole_db.h"

namespace {

class OleDbContract : public BackendContract {
protected:
    OleDb& db() { return *backend_.platform.ole_db; }
};

TEST_P(OleDbContract, WithoutTheServiceNothingConnects) {
    if (db().search_service_running()) GTEST_SKIP() << "Windows Search runs here";
    // Twice: a failed connect leaves nothing behind that would make the second one differ.
    for (int i = 0; i < 2; ++i) {
        int32_t hr = db().connect();
        EXPECT_LT(hr, 0);
        EXPECT_EQ(hr, win::kClassNotRegistered);
        std::unique_ptr<OleDbRowset> rowset;
        EXPECT_LT(db().execute(u"SELECT TOP 1 System.ItemName FROM SYSTEMINDEX", kWsColumns, 2, rowset), 0);
        EXPECT_EQ(rowset, nullptr);
        db().disconnect();
    }
}

TEST_P(OleDbContract, WithTheServiceAStatementRunsAndIsReleased) {
    if (!db().search_service_running()) GTEST_SKIP() << "Windows Search is not running here";
    ASSERT_GE(db().connect(), 0);
    std::unique_ptr<OleDbRowset> rowset;
    ASSERT_GE(db().execute(u"SELECT TOP 3 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX", kWsColumns, 2,
                           rowset),
              0);
    ASSERT_NE(rowset, nullptr);
    int32_t got = 0;
    EXPECT_GE(rowset->next_rows(kWsBatchRows, &got), 0);
    EXPECT_LE(got, 3);
    alignas(8) uint8_t buffer[kWsRowBytes] = {};
    for (int32_t i = 0; i < got; ++i) EXPECT_GE(rowset->get_data(i, buffer), 0);
    rowset->release_rows();
    rowset.reset();
    db().disconnect();
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, OleDbContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, OleDbContract, ::testing::Values("fake"));
#endif

}  // namespace
