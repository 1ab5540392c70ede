// Engine command lines: split as a shell splits them, and words quoted so that they
// split back whole.
#include "gtp_client/command_line.h"

#include <gtest/gtest.h>

namespace tolvan::gtp_client {
namespace {

TEST(EngineCommandLine, SplitsAsAShellWouldWithoutExpandingAnything) {
    using Words = std::vector<std::string>;
    const struct {
        const char* line;
        std::optional<Words> words;
    } cases[] = {
        {"gnugo --mode gtp", Words{"gnugo", "--mode", "gtp"}},
        {" \ta \t b\n", Words{"a", "b"}},
        {"", Words{}},
        {"sh -c 'sleep 100'", Words{"sh", "-c", "sleep 100"}},
        {R"(sh -c "echo \"hi\" \$HOME \x \\")", Words{"sh", "-c", R"(echo "hi" $HOME \x \)"}},
        {R"('a\b "c"')", Words{R"(a\b "c")"}},
        {R"(my\ games/gnugo \'x)", Words{"my games/gnugo", "'x"}},
        {R"('it'\''s')", Words{"it's"}},
        {R"(a'b'"c"d)", Words{"abcd"}},
        {"'' \"\"", Words{"", ""}},
        {"x\\\ny \"p\\\nq\"", Words{"xy", "pq"}},
        {"$HOME ~/cfg *.cfg", Words{"$HOME", "~/cfg", "*.cfg"}},
        {"end\\", Words{"end\\"}},
        {"sh -c 'sleep 100", std::nullopt},
        {"\"open", std::nullopt},
        {R"("a\")", std::nullopt},
        // An apostrophe inside single quotes as a shell writes it ('\''), beside the
        // characters double quotes and backslashes treat specially, which stay as they
        // are; inside double quotes an apostrophe is plain and keeps a backslash before it.
        {R"('it'\''s "quoted" \back $HOME `date`')", Words{R"(it's "quoted" \back $HOME `date`)"}},
        {R"('a'\''b'"c\"d\$e")", Words{R"(a'bc"d$e)"}},
        {R"("it's \'x\' `y` \\z")", Words{R"(it's \'x\' `y` \z)"}},
        {R"('a\'\''b')", Words{R"(a\'b)"}},
        {R"(sh -c 'echo '\''$1 "x"'\'' `pwd`' arg)", Words{"sh", "-c", R"(echo '$1 "x"' `pwd`)", "arg"}},
        {R"('it'\''s)", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.words) << c.line;
}

TEST(EngineCommandLine, AQuotedWordSplitsBackWhole) {
    for (const char* word : {"/usr/games/gnugo", "my games/gnugo", "it's", R"(a"b$c\d`e)", "", "tab\there",
                             "semi;colon", "~home", R"(it's "a" \b $c `d`)", "'", R"('\'')"})
        EXPECT_EQ(splitCommandLine(quoteWord(word)), std::vector<std::string>{word}) << word;
    // The forms the settings file has kept stay as they were.
    EXPECT_EQ(quoteWord("/usr/games/gnugo"), "/usr/games/gnugo");
    EXPECT_EQ(quoteWord("/my games/gnugo"), "\"/my games/gnugo\"");
    EXPECT_EQ(quoteWord(R"(it's "$x")"), R"('it'\''s "$x"')");
}

}  // namespace
}  // namespace tolvan::gtp_client
