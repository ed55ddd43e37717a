#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/SentCommand.h"

namespace {

TEST(SentCommandTest, TellsWritesAndParameterWritesApart) {
    struct LineCase {
        std::string line;
        bool parsed;
        int32_t station;
        std::string code;
        std::vector<std::string> args;
        bool writes;
        bool paramWrite;  // with number 20 and value -5
    };
    const LineCase cases[] = {
        {"#0.PWR  20   -5", true, 0, "PWR", {"20", "-5"}, true, true},  // typed by hand
        {"#0.PWR 110 -5\r", true, 0, "PWR", {"110", "-5"}, true, false},
        {"#0.PWR 20 99999999999\r", true, 0, "PWR", {"20", "99999999999"}, true, false},
        {"#0.PDF ALL\r", true, 0, "PDF", {"ALL"}, true, false},
        {"#-1.PSV\r", true, -1, "PSV", {}, false, false},
        {"#0.PRAX\r", false, 0, "", {}, false, false},
        {"#.PRA\r", false, 0, "", {}, false, false},
        {"PWR 20 5\r", false, 0, "", {}, false, false},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        SentCommand command;
        ASSERT_EQ(SentCommand::Parse(c.line, command), c.parsed);
        if (!c.parsed) continue;
        EXPECT_EQ(command.Station(), c.station);
        EXPECT_EQ(command.Code(), c.code);
        EXPECT_EQ(command.Args(), c.args);
        EXPECT_EQ(command.Writes(), c.writes);
        int32_t number = 0;
        int32_t value = 0;
        EXPECT_EQ(command.ParamWrite(number, value), c.paramWrite);
        if (c.paramWrite) {
            EXPECT_EQ(number, 20);
            EXPECT_EQ(value, -5);
        }
    }
}

}  // namespace
