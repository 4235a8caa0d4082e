#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "shell/theaters.h"

namespace lorvane {
namespace {

// One value looked up in the profile of a text; "-" is the fallback, so a
// key the profile does not hold reads "-".
struct IniCase {
    const char* what;
    std::string text;
    std::string section;
    std::string key;
    std::string value;
};

TEST(IniProfileText, ReadsEachLineByTheProfileRules) {
    const std::string longLine = "[S]\na=" + std::string(197, 'x') + "\nb=2\n";
    const std::string longSection = std::string(60, 's');
    const std::vector<IniCase> cases = {
        {"plain", "[Theaters]\nCount=2\nName1: Sample\n", "Theaters", "Count", "2"},
        {"a colon does not separate", "[Theaters]\nName1: Sample\n", "Theaters", "Name1", "-"},
        {"a line without = is a key", "[Theaters]\nName1: Sample\n", "Theaters", "Name1: Sample",
         ""},
        {"blanks trimmed", "  [S]  \n  key  =  some value \t\r\n", "S", "key", "some value"},
        {"entries before any section", "x=1\n[S]\ny=2", "", "x", "-"},
        {"a # line is no comment", "[S]\n#note=1\n", "S", "#note", "1"},
        {"a ; line is a comment", "[S]\n; k=1\n", "S", "; k", "-"},
        {"; after the value belongs to it", "[S]\nk=v ; trailing\n", "S", "k", "v ; trailing"},
        {"the first = separates", "[S]\nk:a=b=c\n", "S", "k:a", "b=c"},
        {"indented lines are keys", "[S]\nk=1\n  more=2\n", "S", "more", "2"},
        {"a section without ]", "junk\n[Open\nk=1\n", "Open", "k", "1"},
        {"a section name with ;", "[S ;x]\nk=2\n", "S ;x", "k", "2"},
        {"byte order mark", "\xEF\xBB\xBF[S]\nk=1\n", "S", "k", "1"},
        {"text ends at NUL", std::string("[S]\nk=1\n\0j=2\n", 14), "S", "j", "-"},
        {"long line whole", longLine, "S", "a", std::string(197, 'x')},
        {"after a long line", longLine, "S", "b", "2"},
        {"long section name whole", "[" + longSection + "]\nk=1", longSection, "k", "1"},
        {"CR LF lines", "[S]\r\nk=1\r\nj = 2\r\n", "S", "j", "2"},
        {"names without regard to case", "[Sec]\nKey=v\n", "sEC", "kEY", "v"},
        {"the first of two", "[S]\nk=1\n[S]\nk=2\n", "S", "k", "1"},
        {"a later section of the same name", "[S]\n[T]\n[S]\nj=2\n", "S", "j", "2"},
    };
    for (const IniCase& c : cases) {
        EXPECT_EQ(IniProfile::Parse(c.text).Read(c.section, c.key, "-"), c.value) << c.what;
    }
}

// Random ini-like text: every value read is at most 254 characters, holds no
// line break, and a key written after the last section header is found.
TEST(IniProfileText, RandomTextKeepsItsBounds) {
    std::mt19937 random(17);
    const std::string alphabet = "ab[]=:;# \t\r\n\n\n\"'\xEF\xBB\xBF";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length =
            std::uniform_int_distribution<int>(0, round % 10 == 0 ? 600 : 80)(random);
        std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
        for (int k = 0; k < length; ++k) text += alphabet[pick(random)];
        const IniProfile profile = IniProfile::Parse(text + "\n[Last]\nfound=yes\n");
        ASSERT_EQ(profile.Read("Last", "found", "-"), "yes") << "text: " << text;
        const std::string value = IniProfile::Parse(text).Read("a", "b", "-");
        EXPECT_LE(value.size(), 254u);
        EXPECT_EQ(value.find('\n'), std::string::npos);
    }
}

}  // namespace
}  // namespace lorvane
