// The reader's number conversion must give the C library's atoi/atof results bit for
// bit, on the odd forms a hand-edited file holds as well as on plain numbers.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "scene/NumberParsing.h"
#include "scene/SceneStream.h"

namespace talan {
namespace {

// The same double to the bit; any NaN of the same sign matches another.
bool SameBits(double a, double b) {
    return std::isnan(a) ? std::isnan(b) && std::signbit(a) == std::signbit(b)
                         : std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

void ExpectSameAsCLibrary(const std::string& text) {
    EXPECT_EQ(ParseIntLikeAtoi(text), std::atoi(text.c_str())) << "atoi of '" << text << "'";
    const double actual = ParseDoubleLikeAtof(text), expected = std::atof(text.c_str());
    EXPECT_TRUE(SameBits(actual, expected)) << "atof of '" << text << "': " << actual << " vs " << expected;
}

TEST(NumberParsing, HandPickedFormsMatchTheCLibrary) {
    const char* cases[] = {
        "", " ", "0", "-0", "+0", "42", "  \t\n 42", "\n\n-17", "12abc", "1,5", "1.5", "-1.5e3", ".5", "5.",
        ".", "-.", "+-1", "-+1", "--1", "++1", "1e", "1e+", "1e-", "1E5", "1e308", "1e309", "-1e309", "1e-320",
        "1e-400", "2.2250738585072011e-308", "4.9406564584124654e-324", "0x1p3", "0X1.8P1", "-0x10", "0x",
        "0xg", "0x.8", "inf", "-inf", "INF", "infinity", "-Infinity", "infin", "nan", "-nan", "NaN(123)",
        "nan(", "nanx", "9223372036854775807", "9223372036854775808", "-9223372036854775808",
        "-9223372036854775809", "99999999999999999999999", "4294967296", "2147483648", "-2147483649",
        "4294967295", "00000000000000000000000000001", "1.00000000000000011102230246251565404236316680908203125",
        "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330"
        "286416692887910946555547851940402630927103585784938254466536279418290082549587600048125155424236080",
        "16711680", "65280,", "255 ", "\v\f\r 7", "1\x00" "5", "3.4028235e38", "3.4028236e38", "1e39",
    };
    for (const char* text : cases) ExpectSameAsCLibrary(text);
    // A NUL ends the number as it ends the C string.
    EXPECT_EQ(ParseIntLikeAtoi(std::string_view("12\0" "34", 5)), 12);
    EXPECT_EQ(ParseDoubleLikeAtof(std::string_view("1.5\0" "9", 5)), 1.5);
}

// Strings glued from pieces of numbers, and random doubles printed to 1 to 20 digits.
TEST(NumberParsing, GeneratedStringsAndPrintedDoublesMatchTheCLibrary) {
    std::mt19937_64 random(20261206);
    const std::string pieces[] = {"0", "1", "7", "9", "00", "123456789", ".", "e", "E", "+", "-", " ", "\n",
                                  "x", "0x", "p", "inf", "nan", ",", "a", "f", "e-", "e+3", "9999999999"};
    char printed[64];
    for (int i = 0; i < 200000 && !::testing::Test::HasFailure(); ++i) {
        std::string text;
        for (int k = static_cast<int>(random() % 6); k >= 0; --k) text += pieces[random() % std::size(pieces)];
        ExpectSameAsCLibrary(text);
        const double value = std::bit_cast<double>(random());
        if (i % 2 == 0 || !std::isfinite(value)) continue;
        std::snprintf(printed, sizeof printed, "%.*g", static_cast<int>(random() % 20) + 1, value);
        ExpectSameAsCLibrary(printed);
    }
}

// The readers convert fields straight from the file buffer; whatever the field holds,
// the result and the position after the delimiter are those of reading the field
// first and converting it with the C library.
TEST(NumberParsing, FieldReadsAgreeWithReadingTheFieldThenConverting) {
    std::mt19937 random(99);
    const std::string pieces[] = {"0", "1", "9", "12345678", "-", "+", ".", "e5", " ", "\n", "x", "inf", "00000000"};
    for (int i = 0; i < 100000 && !::testing::Test::HasFailure(); ++i) {
        std::string field;
        for (int k = static_cast<int>(random() % 5); k >= 0; --k) field += pieces[random() % std::size(pieces)];
        for (const char delimiter : {',', '\n'}) {
            if (field.find(delimiter) != std::string::npos) continue;
            const std::string text = field + delimiter + "7";
            SceneStream floats = MakeSceneStream(text), ints = floats;
            const float expected = NarrowToFloat(std::atof(field.c_str()));
            EXPECT_TRUE(SameBits(ReadFloatUpTo(floats, delimiter), expected)) << "'" << field << "'";
            EXPECT_EQ(ReadIntUpTo(ints, delimiter), std::atoi(field.c_str())) << "'" << field << "'";
            EXPECT_EQ(*floats.cursor, '7');
            EXPECT_EQ(*ints.cursor, '7');
        }
    }
    // Without a delimiter the field runs to the end of the file.
    SceneStream s = MakeSceneStream("12.5");
    EXPECT_EQ(ReadFloatUpTo(s, ','), 12.5f);
    EXPECT_TRUE(s.eof && s.AtEnd());
}

// Narrowing rounds as the hardware does and overflows to infinity, never undefined;
// truncation to 32 bits saturates and takes NaN as 0.
TEST(NumberParsing, NarrowingAndTruncationStayDefinedAtTheLimits) {
    constexpr float inf = std::numeric_limits<float>::infinity(), largest = std::numeric_limits<float>::max();
    // Last: just above the largest float, below the halfway point, still rounds down to it.
    using Narrowing = std::pair<double, float>;
    for (const auto& [wide, narrow] : {Narrowing{0.1, 0.1f}, {1e39, inf}, {-1e39, -inf}, {0x1.ffffffp127, inf},
                                       {1e-50, 0.0f}, {largest * (1 + 1e-9), largest}}) {
        EXPECT_EQ(NarrowToFloat(wide), narrow) << wide;
    }
    EXPECT_TRUE(std::isnan(NarrowToFloat(std::nan(""))));
    constexpr int32_t most = std::numeric_limits<int32_t>::max(), least = std::numeric_limits<int32_t>::min();
    using Truncation = std::pair<double, int32_t>;
    for (const auto& [wide, truncated] : {Truncation{80.9, 80}, {-80.9, -80}, {3e9, most}, {-3e9, least}, {inf, most},
                                          {-inf, least}, {std::nan(""), 0}}) {
        EXPECT_EQ(TruncateToInt32Saturated(wide), truncated) << wide;
    }
}

}  // namespace
}  // namespace talan
