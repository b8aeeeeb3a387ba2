// HasUnsafeNameChars: which folder names the scan refuses.

#include <gtest/gtest.h>

#include "base/Utf8.h"
#include "filelist/NameSafety.h"

namespace qm {
namespace {

TEST(HasUnsafeNameChars, ControlDelC1AndQuestionMarkAreUnsafe) {
  for (const char* name : {"a\x01", "tab\there", "\x1f", "del\x7f", "c1 start\xc2\x80",
                           "c1 end\xc2\x9f", "en dash in 1252\xc2\x96", "why?"}) {
    EXPECT_TRUE(HasUnsafeNameChars(name)) << name;
  }
  EXPECT_TRUE(HasUnsafeNameChars(std::string_view("nul\0inside", 10)));
}

TEST(HasUnsafeNameChars, MalformedUtf8IsUnsafe) {
  for (const char* name : {"latin1 caf\xe9", "\x80stray", "cut \xe2\x80", "overlong \xc0\xaf",
                           "overlong \xe0\x80\xaf", "surrogate \xed\xa0\x80",
                           "too big \xf4\x90\x80\x80", "old five \xf8\x88\x80\x80\x80"}) {
    EXPECT_TRUE(HasUnsafeNameChars(name)) << name;
    EXPECT_FALSE(IsValidUtf8(name)) << name;
  }
}

TEST(HasUnsafeNameChars, PrintableTextInAnyScriptIsSafe) {
  for (const char* name : {"Quarterly Review", "caf\xc3\xa9", "en\xe2\x80\x93" "dash",
                           "it\xe2\x80\x99s", "\xc2\xa0nbsp", "\xc2\xa0", "\xe6\x97\xa5\xe6\x9c\xac",
                           "smile\xf0\x9f\x99\x82", "last plane \xf4\x8f\xbf\xbf", "~$lock",
                           ".hidden", ""}) {
    EXPECT_FALSE(HasUnsafeNameChars(name)) << name;
  }
}

}  // namespace
}  // namespace qm
