// The fake registry's own rules beyond the shared contract: the 32-bit half kept apart, removal,
// values of other types, and paths Windows refuses.
#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"

namespace {

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;

TEST(FakeRegistry, ThirtyTwoBitViewIsSeparate) {
    FakeRegistry r;
    r.set_string(kLm, u"SOFTWARE\\App", u"Name", u"64");
    r.set_string(kLm, u"SOFTWARE\\App", u"Name", u"32", win::kRegSz, RegistryView::Bits32);
    std::u16string s;
    ASSERT_EQ(r.read_string(kLm, u"SOFTWARE\\App", u"Name", s), 0u);
    EXPECT_EQ(s, u"64");
    ASSERT_EQ(r.read_string(kLm, u"SOFTWARE\\App", u"Name", s, nullptr, RegistryView::Bits32), 0u);
    EXPECT_EQ(s, u"32");
    EXPECT_EQ(r.read_string(RegistryRoot::CurrentUser, u"SOFTWARE\\App", u"Name", s), win::kErrFileNotFound);
}

TEST(FakeRegistry, KindsRemovalAndRefusedPaths) {
    FakeRegistry r;
    r.set_string(kLm, u"SOFTWARE\\Svc\\A", u"ImagePath", u"%SystemRoot%\\a.exe", win::kRegExpandSz);
    r.set_raw(kLm, u"SOFTWARE\\Svc\\A", u"Blob", win::kRegBinary, std::string("\x01\x02", 2));
    r.add_key(kLm, u"SOFTWARE\\Svc\\B\\Child");
    std::u16string s;
    uint32_t kind = 0, d = 0;
    ASSERT_EQ(r.read_string(kLm, u"software\\svc\\a", u"imagepath", s, &kind), 0u);
    EXPECT_EQ(kind, win::kRegExpandSz);
    EXPECT_EQ(s, u"%SystemRoot%\\a.exe");  // never expanded
    EXPECT_EQ(r.read_string(kLm, u"SOFTWARE\\Svc\\A", u"Blob", s), win::kErrUnsupportedType);
    EXPECT_EQ(r.read_dword(kLm, u"SOFTWARE\\Svc\\A", u"Blob", d), win::kErrUnsupportedType);
    EXPECT_EQ(r.read_string(kLm, u"SOFTWARE\\\\Svc\\A", u"ImagePath", s), win::kErrFileNotFound);
    EXPECT_EQ(r.read_string(kLm, u"\\SOFTWARE\\Svc\\A", u"ImagePath", s), win::kErrFileNotFound);

    std::vector<std::u16string> names;
    ASSERT_EQ(r.list_subkeys(kLm, u"SOFTWARE\\Svc", names), 0u);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"A", u"B"}));
    r.remove_key(kLm, u"SOFTWARE\\Svc\\B");
    ASSERT_EQ(r.list_subkeys(kLm, u"SOFTWARE\\Svc", names), 0u);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"A"}));
    EXPECT_EQ(r.list_subkeys(kLm, u"SOFTWARE\\Svc\\B\\Child", names), win::kErrFileNotFound);
    r.remove_value(kLm, u"SOFTWARE\\Svc\\A", u"ImagePath");
    EXPECT_EQ(r.read_string(kLm, u"SOFTWARE\\Svc\\A", u"ImagePath", s), win::kErrFileNotFound);
}

}  // namespace
