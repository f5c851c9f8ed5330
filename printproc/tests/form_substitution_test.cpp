// Form substitution: the paper a form size stands for, hand feed for papers the trays do not hold
// and for user forms, and the standard form that stands in for a user form of its size.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include <win/winspool_forms.h>

#include "form_substitution.h"

namespace pptest {
namespace {

constexpr LONG kLongMin = std::numeric_limits<LONG>::min();
constexpr LONG kLongMax = std::numeric_limits<LONG>::max();

struct PaperCase {
    LONG width, height;  // micrometres
    short paper;
};

TEST(FormSubstitutionTest, MapsFormSizesToPapers) {
    const PaperCase cases[] = {
        {148000, 210000, 11}, {147900, 210100, 11}, {147899, 210000, 256}, {148000, 210101, 256},  // A5
        {139700, 215900, 6},  {139600, 216000, 6},  {139599, 215900, 256},                         // statement
        {182000, 257000, 13}, {182100, 256900, 13},                                                // B5
        {210000, 297000, 9},  {209900, 297100, 9},  {210101, 297000, 256},                         // A4
        {215900, 279400, 1},  {215800, 279500, 1},  {215799, 279400, 256},                         // letter
        {215900, 330200, 260}, {215900, 355600, 5},  {257000, 364000, 12}, {297000, 420000, 8},
        {279400, 431800, 17}, {184200, 266700, 7},  {120000, 235000, 73}, {120100, 234900, 73},
        {297000, 210000, 256},  // A4 across is no paper
        {105000, 148000, 256}, {0, 0, 256}, {-148000, -210000, 256}, {kLongMax, kLongMin, 256},
    };
    for (const PaperCase& test : cases) {
        SCOPED_TRACE(std::to_string(test.width) + " x " + std::to_string(test.height));
        EXPECT_EQ(PaperOfFormSize(test.width, test.height), test.paper);
    }
}

// A printer's form list: positions from 1.
const std::vector<FormSize> kForms = {
    {FORM_BUILTIN, 215900, 279400},  // 1 letter
    {FORM_BUILTIN, 210000, 297000},  // 2 A4
    {FORM_BUILTIN, 105000, 148000},  // 3 A6: no paper
    {FORM_BUILTIN, 139700, 215900},  // 4 statement: a paper the trays do not hold
    {FORM_USER, 210050, 296950},     // 5 a user form of A4 size
    {FORM_USER, 100000, 100000},     // 6 a user form of no paper's size
    {FORM_PRINTER, 297000, 420000},  // 7 A3
    {FORM_USER, 215850, 279350},     // 8 a user form of letter size
    {FORM_USER, 120000, 235000},     // 9 a user form of a paper the trays do not hold
    {FORM_USER, 500000, 500000},     // 10 a user form whose size only it has
};

struct DecisionCase {
    const char* name;
    short paperSize;
    bool useDefaultSource;
    short substitutePaper;
};

TEST(FormSubstitutionTest, DecidesHandFeedAndSubstitutePaper) {
    const DecisionCase cases[] = {
        {"letter", 1, false, 0},
        {"A4", 2, false, 0},
        {"A3 printer form", 7, false, 0},
        {"no paper", 3, true, 0},
        {"paper the trays do not hold", 4, true, 0},
        {"user form of A4 size", 5, true, 2},
        {"user form of letter size", 8, true, 1},
        {"user form of no paper's size", 6, true, 0},
        {"user form of another paper", 9, true, 0},
        {"user form of a size only it has", 10, true, 0},
        // The paper number indexes the list; outside it there is nothing to decide.
        {"position 0", 0, false, 0},
        {"negative position", -3, false, 0},
        {"past the end", 11, false, 0},
        {"far past the end", std::numeric_limits<short>::max(), false, 0},
    };
    for (const DecisionCase& test : cases) {
        SCOPED_TRACE(test.name);
        const FormSubstitution decision = DecideFormSubstitution(kForms, test.paperSize);
        EXPECT_EQ(decision.useDefaultSource, test.useDefaultSource);
        EXPECT_EQ(decision.substitutePaper, test.substitutePaper);
    }
    EXPECT_FALSE(DecideFormSubstitution({}, 1).useDefaultSource);
}

TEST(FormSubstitutionTest, SubstituteIsTheFirstFormOfTheSameSizeThatIsAPaper) {
    const std::vector<FormSize> forms = {
        {FORM_BUILTIN, 209850, 296850},  // 1 within 100 of the user form, but no paper
        {FORM_USER, 209900, 296900},     // 2 the user form: A4 at the edge of its range
        {FORM_BUILTIN, 210001, 297000},  // 3 101 away across
        {FORM_BUILTIN, 210000, 297001},  // 4 101 away down
        {FORM_PRINTER, 210000, 297000},  // 5 100 away both ways: the one
        {FORM_BUILTIN, 210000, 297000},  // 6 also A4, but later
    };
    const FormSubstitution decision = DecideFormSubstitution(forms, 2);
    EXPECT_TRUE(decision.useDefaultSource);
    EXPECT_EQ(decision.substitutePaper, 5);
}

TEST(FormSubstitutionTest, SizesFarApartAreNeverTheSame) {
    // Sizes at the ends of the range do not overflow when compared.
    const std::vector<FormSize> forms = {
        {FORM_BUILTIN, kLongMin, kLongMin},
        {FORM_BUILTIN, kLongMax, kLongMax},
        {FORM_USER, 210000, 297000},
        {FORM_USER, kLongMax, kLongMin},
    };
    EXPECT_EQ(DecideFormSubstitution(forms, 3).substitutePaper, 0);
    EXPECT_EQ(DecideFormSubstitution(forms, 4).substitutePaper, 0);
    EXPECT_TRUE(DecideFormSubstitution(forms, 4).useDefaultSource);
}

}  // namespace
}  // namespace pptest
