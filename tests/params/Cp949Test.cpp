#include <gtest/gtest.h>

#include "params/Cp949.h"

namespace {

TEST(Cp949, ConvertsBothWaysAndMarksWhatItCannotConvert) {
    struct Case {
        std::string utf8;
        std::string cp949;
    };
    const Case roundTrips[] = {
        {"", ""},
        {"가속시간", "\xB0\xA1\xBC\xD3\xBD\xC3\xB0\xA3"},
        {"AD입력최소 ", "AD\xC0\xD4\xB7\xC2\xC3\xD6\xBC\xD2 "},
    };
    for (const Case& c : roundTrips) {
        EXPECT_EQ(Cp949::FromUtf8(c.utf8), c.cp949) << c.utf8;
        EXPECT_EQ(Cp949::ToUtf8(c.cp949), c.utf8) << c.utf8;
    }
    // Characters CP949 lacks become one "?" each; bytes that are not CP949 one U+FFFD each.
    EXPECT_EQ(Cp949::FromUtf8("a\xF0\x9F\x98\x80"
                              "b\xF0\x9F\x98\x81"),
              "a?b?");
    EXPECT_EQ(Cp949::ToUtf8("a\xFF"
                            "b\xB0"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

}  // namespace
