#include "base/ini_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#if defined(LORVANE_HAVE_INIH)
#include <ini.h>
#endif

namespace lorvane {
namespace {

// Every entry as "section|name|value", in order.
std::vector<std::string> Entries(std::string_view text) {
    std::vector<std::string> entries;
    ParseIni(text, [&](std::string_view section, std::string_view name, std::string_view value) {
        entries.push_back(std::string(section) + "|" + std::string(name) + "|" +
                          std::string(value));
    });
    return entries;
}

struct IniCase {
    const char* what;
    std::string text;
    std::vector<std::string> entries;
};

TEST(IniParser, ReadsEntriesAsTheFileSaysThem) {
    const std::string longLine = "a=" + std::string(197, 'x') + "b=2\n";
    const std::vector<IniCase> cases = {
        {"plain",
         "[Theaters]\nCount=2\nName1: Sample\n",
         {"Theaters|Count|2", "Theaters|Name1|Sample"}},
        {"blanks trimmed", "  [S]  \n  key  =  some value \t\r\n", {"S|key|some value"}},
        {"entries before any section", "x=1\n[S]\ny=2", {"|x|1", "S|y|2"}},
        {"comments", "; note\n#note\n[S]\nk=v ; trailing\nj=v;kept\n", {"S|k|v", "S|j|v;kept"}},
        {"first of = and :", "k:a=b\nm=a:b\n", {"|k|a=b", "|m|a:b"}},
        {"no value after a blank comment", "k= ;c\n", {"|k|"}},
        {"broken lines skipped", "junk\n[Open\nk=1\n[S ;x]\nk=2\n", {"|k|1", "|k|2"}},
        {"indented continues",
         "[S]\nk=1\n  more\n\tmost ; c\n",
         {"S|k|1", "S|k|more", "S|k|most ; c"}},
        {"section ends continuing", "k=1\n[T]\n  loose=2\n", {"|k|1", "T|loose|2"}},
        {"empty name does not continue", "=1\n  x=2\n", {"||1", "|x|2"}},
        {"byte order mark", "\xEF\xBB\xBFk=1\n", {"|k|1"}},
        {"text ends at NUL", std::string("k=1\n\0j=2\n", 10), {"|k|1"}},
        {"long line read in pieces", longLine, {"|a|" + std::string(197, 'x'), "|b|2"}},
        {"long section name cut",
         "[" + std::string(60, 's') + "]\nk=1",
         {std::string(49, 's') + "|k|1"}},
        {"CR LF lines", "[S]\r\nk=1\r\nj = 2\r\n", {"S|k|1", "S|j|2"}},
    };
    for (const IniCase& c : cases) EXPECT_EQ(Entries(c.text), c.entries) << c.what;
}

#if defined(LORVANE_HAVE_INIH)
// Random ini-like text read by our parser and by the system's ini library
// gives the same entries.
TEST(IniParser, AgreesWithTheSystemIniLibraryOnRandomText) {
    std::mt19937 random(17);
    const std::string alphabet = "ab[]=:;# \t\r\n\n\n\xEF\xBB\xBF";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length =
            std::uniform_int_distribution<int>(0, round % 10 == 0 ? 600 : 80)(random);
        std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
        for (int k = 0; k < length; ++k) text += alphabet[pick(random)];
        std::vector<std::string> expected;
        ini_parse_string(
            text.c_str(),
            [](void* user, const char* section, const char* name, const char* value) {
                static_cast<std::vector<std::string>*>(user)->push_back(std::string(section) + "|" +
                                                                        name + "|" + value);
                return 1;
            },
            &expected);
        ASSERT_EQ(Entries(text), expected) << "text: " << text;
    }
}
#endif

}  // namespace
}  // namespace lorvane
