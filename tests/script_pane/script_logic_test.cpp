// The script pane's logic without widgets: token classes, places of
// findings, completion, report reading, comment toggling, kept cursors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uScriptEditing.h"
#include "uScriptFindings.h"
#include "uScriptLexer.h"

namespace {

using C = ScriptTokenClass;

ScriptKeySet Keys()
{
    return ParseScriptKeyList(
        "header particles\nheader maintype\nheader attachment\n"
        "type name\ntype spraytype\ntype overlaytype\ntype offset\ntype lifetime\n"
        "type startsize\ntype rendermode\ntype drawcondition\ntype killcondition\ntype sprite\n"
        "bogus line\n");
}

struct Seen {
    std::u16string text;
    C cls;
    bool operator==(const Seen &) const = default;
};

std::vector<Seen> Lex(std::u16string_view line, ScriptLineState &st, const ScriptKeySet &keys = Keys())
{
    std::vector<Seen> seen;
    for (const ScriptToken &t : LexScriptLine(line, st, keys))
        seen.push_back({std::u16string(line.substr(static_cast<std::size_t>(t.start),
                                                   static_cast<std::size_t>(t.length))),
                        t.cls});
    return seen;
}

TEST(ScriptLexer, ClassesOfASampleLine)
{
    ScriptLineState st;
    st.inSection = true;
    EXPECT_EQ(Lex(u"\t\"lifetime\" \"2..5\" LIFETIM 4 startsize -1e3 sprite \"a b\" { } // note \"x\"", st),
              (std::vector<Seen>{{u"\"lifetime\"", C::Key},
                                 {u"\"2..5\"", C::Range},
                                 {u"LIFETIM", C::UnknownKey},
                                 {u"4", C::Number},
                                 {u"startsize", C::Key},
                                 {u"-1e3", C::Number},
                                 {u"sprite", C::Key},
                                 {u"\"a b\"", C::String},
                                 {u"{", C::Brace},
                                 {u"}", C::Brace},
                                 {u"// note \"x\"", C::Comment}}));
    EXPECT_FALSE(st.inSection) << "the bare closing brace ends the section";

    // Keys of the other scope are ignored by the reader, so they show as unknown;
    // a word where a key belongs and a value of no shape are told apart.
    st = {};
    EXPECT_EQ(Lex(u"particles 10x lifetime 4 maintype fire", st),
              (std::vector<Seen>{{u"particles", C::Key},
                                 {u"10x", C::Word},
                                 {u"lifetime", C::UnknownKey},
                                 {u"4", C::Number},
                                 {u"maintype", C::Key},
                                 {u"fire", C::Word}}));
}

TEST(ScriptLexer, StateCarriesQuotesSectionsAndOffsetsAcrossLines)
{
    ScriptLineState st;
    EXPECT_EQ(Lex(u"maintype \"two", st), (std::vector<Seen>{{u"maintype", C::Key}, {u"\"two", C::String}}));
    EXPECT_TRUE(st.inQuote);
    const ScriptLineState restored = ScriptLineState::Unpack(st.Pack());
    EXPECT_EQ(restored, st);
    st = restored;
    EXPECT_EQ(Lex(u"lines\" { offset 1", st), (std::vector<Seen>{{u"lines\"", C::String},
                                                                 {u"{", C::Brace},
                                                                 {u"offset", C::Key},
                                                                 {u"1", C::Number}}));
    EXPECT_TRUE(st.inSection);
    EXPECT_EQ(st.expect, ScriptExpect::Offset);
    EXPECT_EQ(Lex(u"\"2 3\" lifetime 4", st),
              (std::vector<Seen>{{u"\"2 3\"", C::Number}, {u"lifetime", C::Key}, {u"4", C::Number}}));
    EXPECT_EQ(ScriptLineState::Unpack(-1), ScriptLineState{});

    // A brace where a value belongs is the value, as the reader takes it.
    st = {};
    Lex(u"{ name }", st);
    EXPECT_TRUE(st.inSection);
    EXPECT_EQ(st.expect, ScriptExpect::Key);

    // Without a key list from the manager every word where a key belongs is a key.
    st = {};
    EXPECT_EQ(Lex(u"anything 1", st, ScriptKeySet{}),
              (std::vector<Seen>{{u"anything", C::Key}, {u"1", C::Number}}));
}

TEST(ScriptLexer, PlacesOfFindingsNameTheirSectionAndKey)
{
    const std::u16string text = u"particles 5\n"
                                u"{ name a\n"
                                u"  lifetime x  lifetim 3\n"
                                u"}\n"
                                u"{ name b offset 1 2 3 }\n";
    const std::vector<ScriptPlace> places =
        PlacesInScript(text, {{4, 16}, {0, 10}, {2, 2}, {2, 11}, {2, 14}, {1, 0}, {4, 9}, {9, 0}}, Keys());
    ASSERT_EQ(places.size(), 8u);
    EXPECT_EQ(places[0].section, 1);
    EXPECT_EQ(places[0].key, "offset");
    EXPECT_EQ(places[1].section, -1);
    EXPECT_EQ(places[1].key, "particles");
    EXPECT_EQ(places[2].section, 0);
    EXPECT_EQ(places[2].key, "lifetime");
    EXPECT_EQ(places[3].key, "lifetime") << "the value of lifetime";
    EXPECT_EQ(places[4].key, "") << "an unknown key has no row";
    EXPECT_EQ(places[5].section, 0) << "the opening brace";
    EXPECT_EQ(places[6].key, "offset");
    EXPECT_EQ(places[7].section, -1) << "past the end";

    EXPECT_EQ(ScriptTypeNames(text + u"{ \"name\" \"A\" } { name a }", Keys()),
              (std::vector<std::u16string>{u"a", u"b", u"A"}));
}

TEST(ScriptCompletion, OffersKeysOfTheScopeTypeNamesAndWords)
{
    const ScriptKeySet keys = Keys();
    const std::vector<std::u16string> names{u"emitter", u"spark", u"smoke"};
    ScriptLineState inSection;
    inSection.inSection = true;

    ScriptCompletion c = CompleteAt(u"\t\"lif", 5, inSection, keys, names);
    EXPECT_EQ(c.start, 2);
    EXPECT_EQ(c.typed, u"lif");
    EXPECT_EQ(c.candidates, std::vector<std::u16string>{u"lifetime"});

    c = CompleteAt(u"  s", 3, inSection, keys, names);
    EXPECT_EQ(c.candidates, (std::vector<std::u16string>{u"spraytype", u"startsize", u"sprite"}));
    c = CompleteAt(u"MA", 2, {}, keys, names);
    EXPECT_EQ(c.candidates, std::vector<std::u16string>{u"maintype"});
    c = CompleteAt(u"", 0, {}, keys, names);
    EXPECT_EQ(c.candidates.size(), 3u) << "every header key on an empty line";

    c = CompleteAt(u"spraytype \"Sp lifetime 4", 13, inSection, keys, names);
    EXPECT_EQ(c.start, 11);
    EXPECT_EQ(c.candidates, std::vector<std::u16string>{u"spark"});
    c = CompleteAt(u"overlaytype ", 12, inSection, keys, names);
    EXPECT_EQ(c.candidates, names);
    c = CompleteAt(u"rendermode co", 13, inSection, keys, names);
    EXPECT_EQ(c.candidates, std::vector<std::u16string>{u"color"});

    EXPECT_TRUE(CompleteAt(u"lifetime 4", 10, inSection, keys, names).candidates.empty()) << "a number";
    EXPECT_TRUE(CompleteAt(u"// lif", 6, inSection, keys, names).candidates.empty()) << "a comment";
    EXPECT_TRUE(CompleteAt(u"lifetime", 8, inSection, keys, names).candidates.empty()) << "already whole";
    ScriptLineState quote;
    quote.inQuote = true;
    EXPECT_TRUE(CompleteAt(u"lif", 3, quote, keys, names).candidates.empty());
}

TEST(ScriptFindings, ReportLinesAreReadAndSummed)
{
    const std::vector<ScriptFinding> findings = ParseCheckReport(
        "3:5: error: \"x\" is not a number\nnot a finding\n0:1: error: no line\n12:1: warning: unknown key "
        "\"a\"\n"
        "4:2: note: other");
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].line, 3);
    EXPECT_EQ(findings[0].column, 5);
    EXPECT_TRUE(findings[0].error);
    EXPECT_EQ(findings[0].message, "\"x\" is not a number");
    EXPECT_FALSE(findings[1].error);
    EXPECT_EQ(*FindingsSummary(findings), "1 error and 1 warning in the script: the first at line 3 (see the "
                                          "problems list of the Script tab)");
    EXPECT_EQ(*FindingsSummary({findings[1], findings[1]}),
              "2 warnings in the script: the first at line 12 (see the problems list of the Script tab)");
    EXPECT_FALSE(FindingsSummary({}));

    EXPECT_FALSE(HoldsNoKey(findings));
    EXPECT_TRUE(
        HoldsNoKey(ParseCheckReport("1:1: warning: the text holds no key: it reads as an empty effect\n")));

    EXPECT_EQ(InspectorLabelsForKey("lifetime"), std::vector<std::string>{"Life Time"});
    EXPECT_EQ(InspectorLabelsForKey("endgreen"),
              (std::vector<std::string>{"End Green", "End Color 1", "End Color 2"}));
    EXPECT_TRUE(InspectorLabelsForKey("lifetim").empty());

    // "aé b": é takes two bytes in UTF-8, so byte column 5 is character 4.
    EXPECT_EQ(CharacterColumn({1, 2, 1, 1}, 5), 4);
    EXPECT_EQ(CharacterColumn({1, 2, 1, 1}, 1), 1);
    EXPECT_EQ(CharacterColumn({1, 1}, 9), 3) << "past the end stays at the end";
}

TEST(ScriptEditing, LinesAreCommentedAndUncommented)
{
    const std::vector<std::u16string> lines{u"\t\t\"name\" \"a\"", u"", u"\t\"lifetime\" \"4\""};
    const std::vector<std::u16string> commented = ToggleLineComments(lines);
    EXPECT_EQ(commented,
              (std::vector<std::u16string>{u"\t// \t\"name\" \"a\"", u"", u"\t// \"lifetime\" \"4\""}));
    EXPECT_EQ(ToggleLineComments(commented), lines);
    // Mixed lines are all commented; a comment without a blank loses only its slashes.
    EXPECT_EQ(ToggleLineComments({u"//a", u"b"}), (std::vector<std::u16string>{u"// //a", u"// b"}));
    EXPECT_EQ(ToggleLineComments({u"//a", u"  //  b"}), (std::vector<std::u16string>{u"a", u"   b"}));
    EXPECT_EQ(ToggleLineComments({u"  ", u""}), (std::vector<std::u16string>{u"  ", u""}));
}

TEST(ScriptEditing, CursorIsKeptWhereTheTextBeforeItIsTheSame)
{
    EXPECT_EQ(KeptCursorPosition(u"abc def", u"abc xyz", 3), 3);
    EXPECT_EQ(KeptCursorPosition(u"abc def", u"abc xyz", 0), 0);
    EXPECT_FALSE(KeptCursorPosition(u"abc def", u"abd def", 5));
    EXPECT_FALSE(KeptCursorPosition(u"abc def", u"abc", 5)) << "the new text is shorter";
    EXPECT_FALSE(KeptCursorPosition(u"abc", u"abc", -1));
}

}  // namespace
